#include "diagnostics/directives.h"

#include "diagnostics/characters.h"
#include "diagnostics/labelname.h"
#include "machine/instructionset.h"

#include <QStringList>

namespace diagnostics
{

namespace
{

// Directives that put a value in memory, as DAT does.
bool isValueDirective(const QString &key)
{
    static const QStringList words{
        QStringLiteral(".WORD"), QStringLiteral(".BYTE"),  QStringLiteral(".INT"),
        QStringLiteral(".LONG"), QStringLiteral(".SHORT"), QStringLiteral("DB"),
        QStringLiteral("DW"),    QStringLiteral("DD"),     QStringLiteral("DC"),
        QStringLiteral(".DB"),   QStringLiteral(".DW"),    QStringLiteral("DEFB"),
        QStringLiteral("DEFW")};
    return words.contains(key);
}

// Directives that place or group the program, and take at most one word after them.
bool isPlacingDirective(const QString &key)
{
    static const QStringList words{QStringLiteral("SECTION"), QStringLiteral("SEGMENT"),
                                   QStringLiteral("ORG"), QStringLiteral("GLOBAL")};
    return words.contains(key) ||
           (key.size() > 1 && key.startsWith(QLatin1Char('.')) && !isValueDirective(key));
}

Diagnostic error(const Range &range, const QString &message)
{
    return Diagnostic(Severity::Error, Code::OtherDirective, range, message);
}

} // namespace

std::optional<Diagnostic> otherDirective(const SourceLine &line, bool lowerCase)
{
    const Words &words = line.words;
    if (words.isEmpty())
        return std::nullopt;
    if (words.size() <= 2 && isPlacingDirective(words[0].key())) {
        const Range range = line.rangeOf(words[0], words.last());
        const QStringView span(words[0].written().data(),
                               words.last().written().data() + words.last().written().size());
        Diagnostic found = error(range, quoted(span) + QLatin1String(" is a directive of other "
                                                                     "assembly languages; this "
                                                                     "one needs none"));
        found.fixes.append(Fix{QStringLiteral("Remove the line"), {Edit{line.whole(), QString()}}});
        return found;
    }
    // [LABEL] DIRECTIVE VALUE
    const qsizetype at = words.size() - 2;
    if (words.size() < 2 || words.size() > 3 || !isValueDirective(words[at].key()))
        return std::nullopt;
    const QString data(machine::instruction(machine::Data).mnemonic);
    const QString dataWord = lowerCase ? data.toLower() : data;
    QString label = at == 1 ? words[0].written().toString() : QString();
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    const bool named = isFreeLabelName(label);
    const QString written = (named ? label : QStringLiteral("name")) + QLatin1Char(' ') + dataWord +
                            QLatin1Char(' ') + words.last().written().toString();
    Diagnostic found = error(line.rangeOf(words[at]),
                             quoted(words[at].written()) +
                                 QLatin1String(" is a directive of other assembly languages; this "
                                               "one puts a value in a cell with DAT: '") +
                                 shown(written) + QLatin1Char('\''));
    if (named) {
        // The directive becomes DAT, and a colon after the label goes; the
        // line keeps its layout.
        Fix fix{QLatin1String("Write '") + shown(written) + QLatin1Char('\''),
                {Edit{line.rangeOf(words[at]), dataWord}}};
        if (words[0].written().endsWith(QLatin1Char(':')))
            fix.edits.append(Edit{Range{line.number, words[0].end - 1, words[0].end}, QString()});
        found.fixes.append(fix);
    }
    return found;
}

} // namespace diagnostics
