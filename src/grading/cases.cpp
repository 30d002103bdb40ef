#include "grading/cases.h"

#include "assembler/splittext.h"
#include "diagnostics/mnemonic.h"
#include "diagnostics/spelling.h"
#include "program/filename.h"
#include "program/textfile.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace grading
{

namespace
{

const QLatin1String kArrow{"=>"};
const QLatin1String kForbid{"forbid:"};
const QLatin1String kMaxWords{"max-words:"};
const QLatin1String kPick{"pick:"};

// A number of points, or of words, that no sum of them can overflow.
constexpr qint64 kMostPoints = 1'000'000;

// Whole decimal numbers only, in the 32-bit range: what a run takes and puts out.
// Returns false with the first field that is none.
bool readValues(const QString &side, QList<qint32> &values, QString &wrong)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    for (const QString &field : splitText(side, QString())) {
        bool ok = false;
        const qint32 value = number.match(field).hasMatch() ? field.toInt(&ok, 10) : 0;
        if (!ok) {
            wrong = field;
            return false;
        }
        values.append(value);
    }
    return true;
}

// One line of the cases file, read word by word. Each word keeps where it
// starts, so that a wrong one can be named by its column.
class LineReader
{
public:
    LineReader(const QString &written, qsizetype number) : written(written), number(number) {}

    // The check on the line, or false with why not.
    bool read(TestCase &check, QString &reason)
    {
        qsizetype start = skipBlanks(0);
        const bool bracket = start < written.size() && written[start] == u'[';
        const qsizetype close = bracket ? closingBracket(start) : -1;
        const qsizetype comment = written.indexOf(QLatin1Char('#'), std::max<qsizetype>(close, 0));
        qsizetype end = comment < 0 ? written.size() : comment;
        while (end > start && written[end - 1].isSpace())
            --end;
        check.lineNumber = number;
        if (bracket && start < end) {
            if (close < 0 || close >= end)
                return fail(start, QStringLiteral("'[' without its ']'."), reason);
            if (!readAttributes(start + 1, close, check, reason))
                return false;
            start = skipBlanks(close + 1);
            if (start >= end)
                return fail(close, QStringLiteral("attributes without a case or rule after them."),
                            reason);
        }
        check.line = written.mid(start, end - start);
        const bool forbid = check.line.startsWith(kForbid, Qt::CaseInsensitive);
        const bool maxWords = check.line.startsWith(kMaxWords, Qt::CaseInsensitive);
        if ((forbid || maxWords) && (check.maxSteps || check.timeLimit))
            return fail(skipBlanks(0),
                        QStringLiteral("%1 is for cases, not for rules.")
                            .arg(check.maxSteps ? "max-steps" : "time-limit"),
                        reason);
        if (forbid)
            return readForbid(start + kForbid.size(), end, check, reason);
        if (maxWords)
            return readMaxWords(start + kMaxWords.size(), end, check, reason);
        return readCase(start, check, reason);
    }

    // The column of a position: its byte in the line's UTF-8, counted from 1.
    qsizetype column(qsizetype at) const { return written.left(at).toUtf8().size() + 1; }
    qsizetype failedAt = -1; // where the word that is wrong starts, or -1 for none

private:
    struct Word {
        QString text;
        qsizetype at;
    };

    qsizetype skipBlanks(qsizetype at) const
    {
        while (at < written.size() && written[at].isSpace())
            ++at;
        return at;
    }

    // The ']' after the '[' at `open`, past the quoted texts between them;
    // -1 when a comment or the line ends first.
    qsizetype closingBracket(qsizetype open) const
    {
        bool quoted = false;
        for (qsizetype at = open + 1; at < written.size(); ++at) {
            const QChar c = written[at];
            if (quoted && c == u'\\')
                ++at;
            else if (c == u'"')
                quoted = !quoted;
            else if (!quoted && (c == u']' || c == u'#'))
                return c == u']' ? at : -1;
        }
        return -1;
    }

    // The words between `from` and `to`; with `quotes`, as attributes are
    // read, a blank between double quotes is part of its word.
    QList<Word> words(qsizetype from, qsizetype to, bool quotes = false) const
    {
        QList<Word> found;
        for (qsizetype at = skipBlanks(from); at < to; at = skipBlanks(at)) {
            qsizetype end = at;
            bool quoted = false;
            for (; end < to && (quoted || !written[end].isSpace()); ++end) {
                if (quotes && quoted && written[end] == u'\\')
                    ++end;
                else if (quotes && written[end] == u'"')
                    quoted = !quoted;
            }
            end = std::min(end, to);
            found.append({written.mid(at, end - at), at});
            at = end;
        }
        return found;
    }

    // The text between double quotes, \" and \\ read as a quote and a backslash.
    static std::optional<QString> quotedText(const QString &value)
    {
        if (value.size() < 2 || !value.startsWith(u'"') || !value.endsWith(u'"'))
            return std::nullopt;
        QString text;
        for (qsizetype at = 1; at + 1 < value.size(); ++at) {
            if (value[at] == u'"')
                return std::nullopt;
            if (value[at] == u'\\' && at + 2 < value.size() &&
                (value[at + 1] == u'"' || value[at + 1] == u'\\'))
                ++at;
            text += value[at];
        }
        return text;
    }

    bool fail(qsizetype at, const QString &text, QString &reason)
    {
        failedAt = at;
        reason = text;
        return false;
    }

    bool readAttributes(qsizetype from, qsizetype to, TestCase &check, QString &reason)
    {
        QStringList seen;
        for (const Word &word : words(from, to, true)) {
            // "points = 2" reads as three words: "points", "=" and "2".
            const bool nameAlone = word.text == QLatin1String("points") ||
                                   word.text == QLatin1String("max-steps") ||
                                   word.text == QLatin1String("time-limit");
            if (nameAlone || word.text.startsWith(u'=') || word.text.endsWith(u'='))
                return fail(word.at,
                            QStringLiteral("attributes take no blanks around '=': write "
                                           "points=N, max-steps=N or time-limit=S."),
                            reason);
            const QString name = word.text.section(QLatin1Char('='), 0, 0);
            const QString value = word.text.section(QLatin1Char('='), 1);
            if (seen.contains(name))
                return fail(word.at, QStringLiteral("'%1' is given twice.").arg(name), reason);
            seen.append(name);
            quint64 count = 0;
            if (word.text == QLatin1String("hidden")) {
                check.hidden = true;
            } else if (name == QLatin1String("points") && word.text.contains(u'=')) {
                if (!readCount(value, kMostPoints, count))
                    return fail(
                        word.at,
                        QStringLiteral("points needs a whole number from 0 to %1, not '%2'.")
                            .arg(kMostPoints)
                            .arg(value),
                        reason);
                check.points = qint64(count);
            } else if (name == QLatin1String("max-steps") && word.text.contains(u'=')) {
                if (!readCount(value, std::numeric_limits<quint64>::max(), count))
                    return fail(word.at,
                                QStringLiteral("max-steps needs a whole number from 0 to %1 (0: no "
                                               "limit), not '%2'.")
                                    .arg(std::numeric_limits<quint64>::max())
                                    .arg(value),
                                reason);
                check.maxSteps = count;
            } else if (name == QLatin1String("time-limit") && word.text.contains(u'=')) {
                check.timeLimit = readSeconds(value);
                if (!check.timeLimit)
                    return fail(word.at,
                                QStringLiteral("time-limit needs a number of seconds from 0 to "
                                               "%1, with at most three decimals (0: no limit), "
                                               "not '%2'.")
                                    .arg(kMostSeconds)
                                    .arg(value),
                                reason);
            } else if (name == QLatin1String("hint") && word.text.contains(u'=')) {
                check.hint = quotedText(value).value_or(QString());
                if (check.hint.trimmed().isEmpty())
                    return fail(
                        word.at,
                        QStringLiteral("hint needs a text in double quotes, not '%1'.").arg(value),
                        reason);
            } else {
                return fail(word.at,
                            QStringLiteral("unknown attribute '%1'; the attributes are points=N, "
                                           "hidden, max-steps=N, time-limit=S and hint=\"TEXT\".")
                                .arg(word.text),
                            reason);
            }
        }
        return true;
    }

    bool readForbid(qsizetype from, qsizetype to, TestCase &check, QString &reason)
    {
        check.kind = TestCase::Forbid;
        for (const Word &word : words(from, to)) {
            const QString mnemonic = word.text.toUpper();
            const machine::Instruction *row = diagnostics::rowOf(mnemonic);
            if (row == nullptr || !row->isInstruction())
                return fail(word.at, QStringLiteral("'%1' is not an instruction.").arg(word.text),
                            reason);
            if (!check.forbidden.contains(mnemonic))
                check.forbidden.append(mnemonic);
        }
        if (check.forbidden.isEmpty())
            return fail(from, QStringLiteral("forbid: names no instruction."), reason);
        return true;
    }

    bool readMaxWords(qsizetype from, qsizetype to, TestCase &check, QString &reason)
    {
        check.kind = TestCase::MaxWords;
        const QList<Word> found = words(from, to);
        quint64 count = 0;
        if (found.size() != 1 || !readCount(found[0].text, kMostPoints, count))
            return fail(
                found.isEmpty() ? from : found[0].at,
                QStringLiteral("max-words: needs one whole number from 0 to %1.").arg(kMostPoints),
                reason);
        check.maxWords = qint64(count);
        return true;
    }

    bool readCase(qsizetype start, TestCase &check, QString &reason)
    {
        const QString &line = check.line;
        const qsizetype arrow = line.indexOf(kArrow);
        if (arrow < 0) {
            // A rule misspelt, "forbids: MUL" or "forbid MUL", is no case either.
            const QString first = words(start, start + line.size()).value(0).text;
            const QString key = first.toLower() + (first.endsWith(u':') ? "" : ":");
            for (const QString &rule : {QString(kForbid), QString(kMaxWords)}) {
                if (diagnostics::editDistance(key, rule) <= 2)
                    return fail(
                        start,
                        QStringLiteral("'%1' is not a rule; did you mean '%2'?").arg(first, rule),
                        reason);
            }
            reason = QStringLiteral("no '=>' between the values to type and the expected output.");
            return false;
        }
        if (line.indexOf(kArrow, arrow + kArrow.size()) >= 0) {
            reason = QStringLiteral("more than one '=>'.");
            return false;
        }
        QString wrong;
        if (!readValues(line.left(arrow), check.inputs, wrong) ||
            !readValues(line.mid(arrow + kArrow.size()), check.expected, wrong)) {
            reason = QStringLiteral("'%1' is not a whole number from -2147483648 to 2147483647.")
                         .arg(wrong);
            return false;
        }
        return true;
    }

    const QString &written;
    const qsizetype number;
};

} // namespace

bool readCount(const QString &text, quint64 most, quint64 &count)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    bool ok = false;
    count = digits.match(text).hasMatch() ? text.toULongLong(&ok, 10) : 0;
    return ok && count <= most;
}

QString TestCase::title(bool forStudents) const
{
    if (forStudents && hidden)
        return QStringLiteral("line %1 (hidden)").arg(lineNumber);
    return QStringLiteral("line %1: %2").arg(lineNumber).arg(line);
}

CasesTrouble readCases(const QString &path, QList<TestCase> &cases, QString &error, QString *pick)
{
    QString text;
    const program::FileTrouble trouble =
        program::readTextFile(path, QStringLiteral("a cases file"), text, error);
    if (trouble != program::FileTrouble::None) {
        error.prepend(QLatin1String("korvane-run: "));
        return trouble == program::FileTrouble::CannotRead ? CasesTrouble::CannotRead
                                                           : CasesTrouble::Unusable;
    }
    const QString shown = program::shownName(path);
    const QStringList lines = text.split(QLatin1Char('\n'));
    QList<TestCase> rules;
    QList<TestCase> found;
    QString pattern;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype comment = lines[i].indexOf(QLatin1Char('#'));
        const QString content = (comment < 0 ? lines[i] : lines[i].left(comment)).trimmed();
        if (content.isEmpty())
            continue;
        if (content.startsWith(kPick, Qt::CaseInsensitive)) {
            const QString given = content.mid(kPick.size()).trimmed();
            const QString where =
                shown + QLatin1Char(':') + QString::number(i + 1) + QLatin1String(": ");
            if (!pattern.isEmpty()) {
                error = where + QLatin1String("a second pick: line.");
                return CasesTrouble::Unusable;
            }
            if (given.isEmpty() || given.contains(QLatin1Char('/'))) {
                error = where + QLatin1String("pick: needs one file name pattern, without '/'.");
                return CasesTrouble::Unusable;
            }
            pattern = given;
            continue;
        }
        LineReader reader(lines[i], i + 1);
        TestCase check;
        QString reason;
        if (!reader.read(check, reason)) {
            error = shown + QLatin1Char(':') + QString::number(i + 1) +
                    (reader.failedAt < 0
                         ? QString()
                         : QLatin1Char(':') + QString::number(reader.column(reader.failedAt))) +
                    QLatin1String(": ") + reason;
            return CasesTrouble::Unusable;
        }
        (check.isRule() ? rules : found).append(check);
    }
    // An empty file, or a wrong one given by a slip, must not pass every program.
    if (found.isEmpty() && rules.isEmpty()) {
        error = shown + QLatin1String(": holds no case");
        return CasesTrouble::Unusable;
    }
    cases = rules + found;
    if (pick)
        *pick = pattern;
    return CasesTrouble::None;
}

} // namespace grading
