#include "run/diagnosticprinter.h"

#include "diagnostics/characters.h"
#include "diagnostics/fixcheck.h"
#include "diagnostics/sourcetext.h"

#include <cstdlib>

#include <unistd.h>

namespace run
{

namespace
{

constexpr qsizetype kTabStop = 8;

// Colours as Clang uses them.
const QLatin1String kBold{"\033[1m"};
const QLatin1String kReset{"\033[0m"};
const QLatin1String kRed{"\033[1;31m"};
const QLatin1String kMagenta{"\033[1;35m"};
const QLatin1String kCyan{"\033[1;36m"};
const QLatin1String kGreen{"\033[1;32m"};

QLatin1String colourOf(diagnostics::Severity severity)
{
    switch (severity) {
    case diagnostics::Severity::Error:
        break;
    case diagnostics::Severity::Warning:
        return kMagenta;
    case diagnostics::Severity::Note:
        return kCyan;
    }
    return kRed;
}

// A source line as it is echoed: tabs expanded to the next stop of eight, and
// characters that show as nothing or as a plain gap written as <U+XXXX>; for
// each byte offset of the line, the display column where it starts.
struct Echo {
    QString text;
    QList<qsizetype> columnOfByte; // one entry per byte, and one past the end

    explicit Echo(QStringView line)
    {
        qsizetype at = 0;
        while (at < line.size()) {
            const qsizetype length =
                line[at].isHighSurrogate() && at + 1 < line.size() && line[at + 1].isLowSurrogate()
                    ? 2
                    : 1;
            const QStringView character = line.sliced(at, length);
            const qint32 bytes = diagnostics::utf8Length(character);
            for (qint32 b = 0; b < bytes; ++b)
                columnOfByte.append(text.size());
            if (character == u"\t")
                text += QString(kTabStop - text.size() % kTabStop, QLatin1Char(' '));
            else
                text += diagnostics::shown(character);
            at += length;
        }
        columnOfByte.append(text.size());
    }

    qsizetype columnAt(qint32 byte) const
    {
        if (byte < 0)
            return 0;
        return byte < columnOfByte.size() ? columnOfByte[byte] : columnOfByte.last();
    }
};

QString gutter(qint32 number, qsizetype width)
{
    return number > 0 ? QStringLiteral("%1 | ").arg(number, int(width))
                      : QString(width, QLatin1Char(' ')) + QLatin1String(" | ");
}

// Whether the marker's line shows an edit under the place it replaces.
bool shownUnder(const diagnostics::Edit &edit, qint32 line)
{
    return edit.range.line == line && !edit.replacement.trimmed().isEmpty() &&
           !edit.replacement.contains(QLatin1Char('\n'));
}

// The replacements of the diagnostic's first fix that go into this line, each
// under the place it replaces.
QString fixLine(const diagnostics::Diagnostic &diagnostic, const Echo &echo)
{
    if (diagnostic.fixes.isEmpty())
        return {};
    QString line;
    for (const diagnostics::Edit &edit : diagnostic.fixes.first().edits) {
        // A blank, a deletion or a new line would show as nothing.
        if (!shownUnder(edit, diagnostic.range.line))
            continue;
        const qsizetype column = echo.columnAt(edit.range.begin);
        if (column < line.size())
            continue; // overlaps the one before
        line += QString(column - line.size(), QLatin1Char(' ')) + edit.replacement;
    }
    return line;
}

// The edits of the first fix that the line under the marker does not show,
// one line each: "- line N" for a line taken away, "+ line N: TEXT" for one
// written; a line changed is both.
QStringList furtherEdits(const program::Program &program, const diagnostics::Diagnostic &diagnostic)
{
    if (diagnostic.fixes.isEmpty())
        return {};
    const QList<diagnostics::Edit> &edits = diagnostic.fixes.first().edits;
    QList<qint32> lines;
    for (const diagnostics::Edit &edit : edits) {
        if (!shownUnder(edit, diagnostic.range.line) && !lines.contains(edit.range.line))
            lines.append(edit.range.line);
    }
    std::sort(lines.begin(), lines.end());
    const qint32 appended = program.source ? program.source->appendedLine() : 0;
    QStringList shown;
    qint32 added = 0; // lines that the edits before add
    for (const qint32 number : std::as_const(lines)) {
        const QString before = number >= appended
                                   ? QString()
                                   : diagnostics::lineOfText(program.text, number).toString();
        diagnostics::Fix here;
        for (const diagnostics::Edit &edit : edits) {
            if (edit.range.line == number)
                here.edits.append(diagnostics::Edit{
                    diagnostics::Range{1, edit.range.begin, edit.range.end}, edit.replacement});
        }
        const QString after = diagnostics::applied(before, here);
        if (number < appended)
            shown.append(QStringLiteral("- line %1").arg(number + added));
        if (after.isEmpty())
            continue;
        const QStringList parts = after.split(QLatin1Char('\n'));
        for (qsizetype k = 0; k < parts.size(); ++k)
            shown.append(QStringLiteral("+ line %1: ").arg(number + added + k) +
                         Echo(parts[k]).text);
        added += qint32(parts.size()) - 1;
    }
    return shown;
}

QString excerpt(const program::Program &program, const diagnostics::Diagnostic &diagnostic,
                const PrintStyle &style)
{
    const diagnostics::Range &range = diagnostic.range;
    const Echo echo(diagnostics::lineOfText(program.text, range.line));
    const qsizetype width = qMax<qsizetype>(5, QString::number(range.line).size());
    const qsizetype begin = echo.columnAt(range.begin);
    const qsizetype end = qMax(begin + 1, echo.columnAt(range.end));

    QString marker = QString(begin, QLatin1Char(' ')) + QLatin1Char('^') +
                     QString(end - begin - 1, QLatin1Char('~'));
    QString fix = fixLine(diagnostic, echo);
    if (style.colour) {
        marker = QString(begin, QLatin1Char(' ')) + kGreen + marker.mid(begin) + kReset;
        if (!fix.isEmpty())
            fix = kGreen + fix + kReset;
    }
    QString text = gutter(range.line, width) + echo.text + QLatin1Char('\n') + gutter(0, width) +
                   marker + QLatin1Char('\n');
    if (!fix.isEmpty())
        text += gutter(0, width) + fix + QLatin1Char('\n');
    for (const QString &edit : furtherEdits(program, diagnostic))
        text += gutter(0, width) + edit + QLatin1Char('\n');
    return text;
}

} // namespace

PrintStyle styleForStandardError(bool excerpts)
{
    const char *noColour = std::getenv("NO_COLOR");
    PrintStyle style;
    style.excerpts = excerpts;
    style.colour = isatty(STDERR_FILENO) == 1 && (noColour == nullptr || *noColour == '\0');
    return style;
}

QString printed(const program::Program &program, const diagnostics::Diagnostic &diagnostic,
                const PrintStyle &style)
{
    QString text;
    if (!style.colour) {
        text = program.lineOf(diagnostic) + QLatin1Char('\n');
    } else {
        const diagnostics::Range &range = diagnostic.range;
        const QString place =
            range.line > 0
                ? QStringLiteral("%1:%2:%3:").arg(program.name).arg(range.line).arg(range.column())
                : program.name + QLatin1Char(':');
        text = kBold + place + kReset + QLatin1Char(' ') + colourOf(diagnostic.severity) +
               diagnostics::severityName(diagnostic.severity) + QLatin1Char(':') + kReset +
               QLatin1Char(' ') + kBold + diagnostic.message + kReset + QLatin1Char('\n');
    }
    if (style.excerpts && diagnostic.range.line > 0)
        text += excerpt(program, diagnostic, style);
    // A related place, such as a label's first definition, as a note of its own.
    for (const diagnostics::Related &place : diagnostic.related)
        text += printed(program,
                        diagnostics::Diagnostic(diagnostics::Severity::Note, diagnostic.code,
                                                place.range, place.message),
                        style);
    return text;
}

QString printed(const program::Program &program, const QList<diagnostics::Diagnostic> &list,
                const PrintStyle &style)
{
    QString text;
    for (const diagnostics::Diagnostic &diagnostic : diagnostics::flattened(list))
        text += printed(program, diagnostic, style);
    return text;
}

} // namespace run
