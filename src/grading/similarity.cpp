#include "grading/similarity.h"

#include "machine/instructionset.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace grading
{

namespace
{

// A labelled instruction's word, its code text then its operand's address
// without the leading zero, with the address in two digits; any other word
// as it is. No code text begins another, so the code is found by its start;
// only an address below 10 is written differently.
QString twoDigitAddress(const QString &word)
{
    for (const machine::Instruction &row : machine::kInstructionSet) {
        if (row.isInstruction() && word.size() == row.code.size() + 1 &&
            word.startsWith(row.code) && word.back() >= u'0' && word.back() <= u'9')
            return QString(word).insert(row.code.size(), QLatin1Char('0'));
    }
    return word;
}

// Follows the links up to the FILE that stands for the whole group.
qsizetype rootOf(std::vector<qsizetype> &parents, qsizetype item)
{
    while (parents[std::size_t(item)] != item) {
        parents[std::size_t(item)] = parents[std::size_t(parents[std::size_t(item)])];
        item = parents[std::size_t(item)];
    }
    return item;
}

// FILEs of one image.
struct Kind {
    std::vector<int> words; // each word by its number, the same for the same text
    QList<qsizetype> files; // in the order given
};

} // namespace

QStringList comparedImage(const program::Program &program)
{
    QStringList words = program.image;
    for (qsizetype address = 0; address < words.size() && address < program.labels.size();
         ++address) {
        if (!program.labels[address].isEmpty() && !program.holdsData(qint32(address)))
            words[address] = twoDigitAddress(words[address]);
    }
    return words;
}

std::optional<Likeness::Near> Likeness::nearest() const
{
    if (!identical.isEmpty())
        return Near{identical.constFirst(), 0};
    if (!near.isEmpty())
        return near.constFirst();
    return std::nullopt;
}

qsizetype editDistance(const std::vector<int> &first, const std::vector<int> &second,
                       qsizetype most)
{
    const auto rows = qsizetype(first.size());
    const auto columns = qsizetype(second.size());
    const qsizetype beyond = most + 1;
    if (std::abs(rows - columns) > most)
        return beyond;
    // Only the cells within `most` of the diagonal can hold `most` or less;
    // the others count as beyond.
    std::vector<qsizetype> previous(std::size_t(columns + 1), beyond);
    std::vector<qsizetype> current(std::size_t(columns + 1), beyond);
    for (qsizetype column = 0; column <= std::min(columns, most); ++column)
        previous[std::size_t(column)] = column;
    for (qsizetype row = 1; row <= rows; ++row) {
        const qsizetype low = std::max<qsizetype>(1, row - most);
        const qsizetype high = std::min(columns, row + most);
        current[std::size_t(low - 1)] = low == 1 ? std::min(row, beyond) : beyond;
        qsizetype least = current[std::size_t(low - 1)];
        for (qsizetype column = low; column <= high; ++column) {
            const std::size_t at = std::size_t(column);
            const qsizetype replaced =
                previous[at - 1] + (first[std::size_t(row - 1)] == second[at - 1] ? 0 : 1);
            current[at] = std::min({replaced, previous[at] + 1, current[at - 1] + 1, beyond});
            least = std::min(least, current[at]);
        }
        if (high < columns)
            current[std::size_t(high + 1)] = beyond;
        if (least > most)
            return beyond;
        std::swap(previous, current);
    }
    return std::min(previous[std::size_t(columns)], beyond);
}

Similarities findSimilar(const QList<std::optional<QStringList>> &images, qsizetype distance)
{
    Similarities found;
    found.files.resize(images.size());

    // Each image as numbers, one per distinct word, and the FILEs of each image.
    QHash<QString, int> numbers;
    std::vector<Kind> kinds;
    {
        std::vector<std::pair<std::vector<int>, qsizetype>> numbered;
        for (qsizetype file = 0; file < images.size(); ++file) {
            if (!images[file])
                continue;
            std::vector<int> words;
            words.reserve(std::size_t(images[file]->size()));
            for (const QString &word : *images[file]) {
                auto number = numbers.constFind(word);
                if (number == numbers.cend())
                    number = numbers.insert(word, int(numbers.size()));
                words.push_back(number.value());
            }
            found.files[file].length = images[file]->size();
            numbered.emplace_back(std::move(words), file);
        }
        // By length first, so that near ones are compared only within a few places.
        std::sort(numbered.begin(), numbered.end(), [](const auto &a, const auto &b) {
            if (a.first.size() != b.first.size())
                return a.first.size() < b.first.size();
            return a < b;
        });
        for (auto &[words, file] : numbered) {
            if (kinds.empty() || kinds.back().words != words)
                kinds.push_back(Kind{std::move(words), {}});
            kinds.back().files.append(file);
        }
    }

    std::vector<qsizetype> parents(std::size_t(images.size()));
    std::iota(parents.begin(), parents.end(), 0);
    const auto link = [&](qsizetype a, qsizetype b) {
        parents[std::size_t(rootOf(parents, a))] = rootOf(parents, b);
    };
    for (const Kind &kind : kinds) {
        for (const qsizetype file : kind.files) {
            for (const qsizetype other : kind.files) {
                if (other != file)
                    found.files[file].identical.append(other);
            }
            link(file, kind.files.constFirst());
        }
    }
    for (std::size_t a = 0; a < kinds.size(); ++a) {
        for (std::size_t b = a + 1;
             b < kinds.size() &&
             kinds[b].words.size() - kinds[a].words.size() <= std::size_t(distance);
             ++b) {
            const qsizetype apart = editDistance(kinds[a].words, kinds[b].words, distance);
            if (apart > distance)
                continue;
            for (const qsizetype file : kinds[a].files) {
                for (const qsizetype other : kinds[b].files) {
                    found.files[file].near.append({other, apart});
                    found.files[other].near.append({file, apart});
                }
            }
            link(kinds[a].files.constFirst(), kinds[b].files.constFirst());
        }
    }

    QHash<qsizetype, qsizetype> groupOfRoot;
    for (qsizetype file = 0; file < images.size(); ++file) {
        Likeness &likeness = found.files[file];
        std::sort(likeness.identical.begin(), likeness.identical.end());
        std::sort(likeness.near.begin(), likeness.near.end(), [](const auto &a, const auto &b) {
            return std::pair(a.distance, a.file) < std::pair(b.distance, b.file);
        });
        if (likeness.identical.isEmpty() && likeness.near.isEmpty())
            continue;
        const qsizetype root = rootOf(parents, file);
        if (!groupOfRoot.contains(root)) {
            groupOfRoot.insert(root, found.groups.size());
            found.groups.append(SimilarGroup());
        }
        found.groups[groupOfRoot.value(root)].files.append(file);
    }
    // Groups were made in the order of their first FILE; the sort keeps that among equals.
    std::stable_sort(found.groups.begin(), found.groups.end(),
                     [](const SimilarGroup &a, const SimilarGroup &b) {
                         return a.files.size() > b.files.size();
                     });
    for (qsizetype group = 0; group < found.groups.size(); ++group) {
        for (const qsizetype file : std::as_const(found.groups[group].files))
            found.files[file].group = group;
    }
    return found;
}

} // namespace grading
