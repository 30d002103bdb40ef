#include "diagnostics/fixcheck.h"

#include "diagnostics/errors.h"
#include "machine/word.h"

#include <QStringList>

#include <algorithm>

namespace diagnostics
{

namespace
{

bool later(const Edit &a, const Edit &b)
{
    return std::tie(a.range.line, a.range.begin) > std::tie(b.range.line, b.range.begin);
}

// Where a line of the fixed text came from: a line of the text, and whether
// a fix's edit wrote into it (split: cut from it or added after the last).
struct Origin {
    qint32 line = 0;
    bool edited = false;
    bool split = false;
};

// The stretches of one fixed line that the fix wrote, as byte ranges.
QList<Range> writtenInto(qint32 line, qint32 newLine, QList<Edit> edits)
{
    edits.removeIf([&](const Edit &edit) { return edit.range.line != line; });
    std::sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return later(b, a); });
    QList<Range> written;
    qint32 shift = 0;
    for (const Edit &edit : std::as_const(edits)) {
        const qint32 length = utf8Length(edit.replacement);
        written.append(Range{newLine, edit.range.begin + shift, edit.range.begin + shift + length});
        shift += length - (edit.range.end - edit.range.begin);
    }
    return written;
}

bool touches(const Range &error, const Range &written)
{
    if (written.begin == written.end) // a deletion: an error across the place it left
        return error.begin < written.begin && written.begin < error.end;
    return error.begin < written.end && written.begin < error.end;
}

} // namespace

QString applied(const QString &text, const Fix &fix)
{
    QString result = text;
    QList<Edit> edits = fix.edits;
    // From the end, so that the places of the others stay where they are.
    std::sort(edits.begin(), edits.end(), later);
    for (const Edit &edit : std::as_const(edits)) {
        qsizetype start = 0;
        for (qint32 n = 1; n < edit.range.line; ++n) {
            const qsizetype end = result.indexOf(QLatin1Char('\n'), start);
            if (end < 0) {
                result += QLatin1Char('\n');
                start = result.size();
            } else {
                start = end + 1;
            }
        }
        qsizetype lineEnd = result.indexOf(QLatin1Char('\n'), start);
        if (lineEnd < 0)
            lineEnd = result.size();
        const QStringView line(result.constData() + start, lineEnd - start);
        const qsizetype from = start + charsBefore(line, edit.range.begin);
        const qsizetype to = start + charsBefore(line, edit.range.end);
        result.replace(from, to - from, edit.replacement);
    }
    return result;
}

FixCheck::FixCheck(const SourceText &text, QList<qint32> refused)
    : text_(text), refused_(std::move(refused))
{
}

// The label a stored line defines, or an empty key.
QString definedBy(const SourceLine &line)
{
    return !line.words.isEmpty() && line.words[0].role == Role::Label ? line.words[0].key()
                                                                      : QString();
}

bool FixCheck::refused(qint32 number) const
{
    return std::binary_search(refused_.begin(), refused_.end(), number);
}

bool FixCheck::right(const Diagnostic &about, const Fix &fix) const
{
    if (fix.edits.isEmpty())
        return false;
    const QList<SourceLine> &lines = text_.lines();
    const auto stored = [&](qint32 number) -> const SourceLine * {
        const auto at = std::lower_bound(
            lines.begin(), lines.end(), number,
            [](const SourceLine &line, qint32 wanted) { return line.number < wanted; });
        return at != lines.end() && at->number == number ? &*at : nullptr;
    };
    // Only the lines the fix edits and the one the diagnostic is on are read
    // again, fixed; every other line keeps its words, and it stays as it was
    // unless it names a label the fix takes away. So a fix is checked in the
    // time of a few lines, however long the text.
    QList<qint32> involved{about.range.line};
    for (const Edit &edit : fix.edits)
        involved.append(edit.range.line);
    std::sort(involved.begin(), involved.end());
    involved.erase(std::unique(involved.begin(), involved.end()), involved.end());
    QStringList part;
    QSet<QString> definedBefore;
    qsizetype storedBefore = 0;
    for (const qint32 number : std::as_const(involved)) {
        const SourceLine *line = stored(number);
        part.append(line != nullptr ? line->text.toString() : QString());
        if (line != nullptr) {
            ++storedBefore;
            definedBefore.insert(definedBy(*line));
        }
    }
    Fix moved = fix;
    for (Edit &edit : moved.edits)
        edit.range.line = qint32(involved.indexOf(edit.range.line)) + 1;
    const SourceText after(applied(part.join(QLatin1Char('\n')), moved));
    if (lines.size() - storedBefore + after.lines().size() > machine::kMemorySize &&
        lines.size() <= machine::kMemorySize)
        return false;

    // The labels only the edited lines defined, and that they define no more.
    QSet<QString> removed;
    for (const QString &key : std::as_const(definedBefore)) {
        if (key.isEmpty() || after.labels().contains(key))
            continue;
        const bool elsewhere = std::any_of(lines.begin(), lines.end(), [&](const SourceLine &line) {
            return !involved.contains(line.number) && definedBy(line) == key;
        });
        if (!elsewhere)
            removed.insert(key);
    }
    if (!removed.isEmpty()) {
        for (const SourceLine &line : lines) {
            if (involved.contains(line.number) || refused(line.number))
                continue;
            for (const Word &word : line.words) {
                if (word.role == Role::Operand && removed.contains(word.key()))
                    return false; // a line that assembled names a label no more defined
            }
        }
    }

    // Where each line of the fixed part came from.
    QList<std::pair<qint32, qint32>> added; // line of the part, lines its edits add
    for (const Edit &edit : std::as_const(moved.edits)) {
        const qint32 count = qint32(edit.replacement.count(QLatin1Char('\n')));
        const auto at = std::find_if(added.begin(), added.end(), [&](const auto &entry) {
            return entry.first == edit.range.line;
        });
        if (at == added.end())
            added.append({edit.range.line, count});
        else
            at->second += count;
    }
    std::sort(added.begin(), added.end());
    const auto originOf = [&](qint32 number) {
        qint32 extra = 0;
        for (const auto &[line, count] : std::as_const(added)) {
            if (number < line + extra)
                break;
            if (number <= line + extra + count)
                return Origin{line, true, count > 0};
            extra += count;
        }
        return Origin{number - extra, false, false};
    };
    const ErrorFinder finder(after, text_.labels(), removed);
    for (qint32 k = 0; k < after.lines().size(); ++k) {
        if (!finder.refuses(k))
            continue;
        const qint32 number = after.lines()[k].number;
        const Origin inPart = originOf(number);
        const qint32 original = involved.value(inPart.line - 1);
        if (original >= text_.appendedLine())
            return false; // a line the fix wrote whole
        if (!inPart.edited && original != about.range.line)
            continue;
        if (!inPart.edited && !refused(original))
            return false;
        // A line cut in parts by line feeds alone holds only words it had.
        if (inPart.split &&
            std::any_of(moved.edits.begin(), moved.edits.end(), [&](const Edit &edit) {
                return edit.range.line == inPart.line && !edit.replacement.trimmed().isEmpty();
            }))
            return false;
        const QList<Range> written =
            inPart.split ? QList<Range>() : writtenInto(inPart.line, number, moved.edits);
        for (const Diagnostic &error : finder.errorsOn(k)) {
            if (original == about.range.line && error.code == about.code)
                return false; // not gone
            for (const Range &range : written) {
                if (touches(error.range, range))
                    return false; // what the fix wrote is wrong
            }
        }
    }
    return true;
}

void FixCheck::keepRightFixes(Diagnostic &found) const
{
    found.fixes.removeIf([&](const Fix &fix) { return !right(found, fix); });
    QList<Diagnostic> notes;
    for (Diagnostic &note : found.notes) {
        const bool suggested = !note.fixes.isEmpty();
        note.fixes.removeIf([&](const Fix &fix) { return !right(found, fix); });
        if (!suggested || !note.fixes.isEmpty() || note.code != Code::DefineVariable)
            notes.append(note);
    }
    found.notes = notes;
}

} // namespace diagnostics
