#include "diagnostics/spelling.h"

#include "machine/instructionset.h"

#include <algorithm>
#include <vector>

namespace diagnostics
{

namespace
{

constexpr qsizetype kNearEdits = 1;
constexpr qsizetype kNearEditsOfLongWords = 2;
constexpr qsizetype kLongWord = 5;

} // namespace

qsizetype editDistance(QStringView from, QStringView to)
{
    const auto width = std::size_t(to.size()) + 1;
    // Three rows of the table: the one before the previous, the previous and the current.
    std::vector<qsizetype> before(width), previous(width), current(width);
    for (std::size_t j = 0; j < width; ++j)
        previous[j] = qsizetype(j);
    for (qsizetype i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= to.size(); ++j) {
            const auto at = std::size_t(j);
            const qsizetype replace = previous[at - 1] + (from[i - 1] == to[j - 1] ? 0 : 1);
            current[at] = std::min({previous[at] + 1, current[at - 1] + 1, replace});
            if (i > 1 && j > 1 && from[i - 1] == to[j - 2] && from[i - 2] == to[j - 1])
                current[at] = std::min(current[at], before[at - 2] + 1);
        }
        before.swap(previous);
        previous.swap(current);
    }
    return previous[width - 1];
}

QStringList nearestMnemonics(const QString &key)
{
    const qsizetype limit = key.size() >= kLongWord ? kNearEditsOfLongWords : kNearEdits;
    qsizetype best = limit + 1;
    QStringList nearest;
    for (const machine::Instruction &row : machine::kInstructionSet) {
        const QString mnemonic(row.mnemonic);
        if (qAbs(mnemonic.size() - key.size()) > limit)
            continue;
        const qsizetype distance = editDistance(key, mnemonic);
        if (distance > limit)
            continue;
        if (distance < best) {
            best = distance;
            nearest.clear();
        }
        if (distance == best)
            nearest.append(mnemonic);
    }
    return nearest;
}

QString alternatives(const QStringList &words)
{
    if (words.size() < 2)
        return words.join(QString());
    return words.first(words.size() - 1).join(QLatin1String(", ")) + QLatin1String(" or ") +
           words.last();
}

} // namespace diagnostics
