#include "diagnostics/operandshapes.h"

#include "diagnostics/characters.h"
#include "diagnostics/labelname.h"
#include "diagnostics/mnemonic.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace diagnostics
{

namespace
{

struct Quote {
    char16_t mark;
    const char *name;
};

// The quotation marks of keyboards, word processors and web pages.
constexpr Quote kQuotes[] = {
    {u'"', "U+0022 QUOTATION MARK"},
    {u'\'', "U+0027 APOSTROPHE"},
    {u'`', "U+0060 GRAVE ACCENT"},
    {u'\u00AB', "U+00AB LEFT-POINTING DOUBLE ANGLE QUOTATION MARK"},
    {u'\u00BB', "U+00BB RIGHT-POINTING DOUBLE ANGLE QUOTATION MARK"},
    {u'\u2018', "U+2018 LEFT SINGLE QUOTATION MARK"},
    {u'\u2019', "U+2019 RIGHT SINGLE QUOTATION MARK"},
    {u'\u201A', "U+201A SINGLE LOW-9 QUOTATION MARK"},
    {u'\u201C', "U+201C LEFT DOUBLE QUOTATION MARK"},
    {u'\u201D', "U+201D RIGHT DOUBLE QUOTATION MARK"},
    {u'\u201E', "U+201E DOUBLE LOW-9 QUOTATION MARK"},
    {u'\u2039', "U+2039 SINGLE LEFT-POINTING ANGLE QUOTATION MARK"},
    {u'\u203A', "U+203A SINGLE RIGHT-POINTING ANGLE QUOTATION MARK"},
};

const Quote *quoteOf(QChar c)
{
    const auto at = std::find_if(std::begin(kQuotes), std::end(kQuotes),
                                 [&](const Quote &quote) { return quote.mark == c.unicode(); });
    return at != std::end(kQuotes) ? at : nullptr;
}

bool isMnemonicWord(const Word &word)
{
    return word.mnemonic() != nullptr;
}

Diagnostic error(Code code, const Range &range, const QString &message)
{
    return Diagnostic(Severity::Error, code, range, message);
}

Fix replaceWith(const SourceLine &line, const Word &word, const QString &name)
{
    return Fix{QLatin1String("Replace ") + quoted(word.written()) + QLatin1String(" with '") +
                   name + QLatin1Char('\''),
               {Edit{line.rangeOf(word), name}}};
}

// "A", "A and B", "A, B and C".
QString listed(const QStringList &names)
{
    if (names.size() < 2)
        return names.value(0);
    return names.first(names.size() - 1).join(QLatin1String(", ")) + QLatin1String(" and ") +
           names.last();
}

std::optional<Diagnostic> quotedOperand(const ShapeContext &context, const SourceLine &line,
                                        const Word &word)
{
    QStringList names;
    QString bare;
    for (const QChar c : word.written()) {
        if (const Quote *quote = quoteOf(c)) {
            if (!names.contains(QLatin1String(quote->name)))
                names.append(QLatin1String(quote->name));
        } else {
            bare += c;
        }
    }
    if (names.isEmpty())
        return std::nullopt;
    Diagnostic found = error(Code::QuotedOperand, line.rangeOf(word),
                             quoted(word.written()) + QLatin1String(" holds ") + listed(names) +
                                 QLatin1String(": an operand is a label, written without quotes"));
    if (!bare.isEmpty() && context.hasLabel(bare.toUpper()))
        found.fixes.append(replaceWith(line, word, bare));
    return found;
}

std::optional<Diagnostic> bracketed(const ShapeContext &context, const SourceLine &line,
                                    const Word &word)
{
    static const QString opening = QStringLiteral("([{");
    static const QString closing = QStringLiteral(")]}");
    const QStringView written = word.written();
    const qsizetype kind = written.isEmpty() ? -1 : opening.indexOf(written.front());
    if (kind < 0 || written.size() < 3 || written.back() != closing[kind])
        return std::nullopt;
    const QString inner = written.mid(1, written.size() - 2).toString();
    Diagnostic found = error(
        Code::OperandBrackets, line.rangeOf(word),
        quoted(written) + QLatin1String(" is in brackets: an operand is one label, written without "
                                        "them, and the instruction works on the cell it names"));
    if (context.hasLabel(inner.toUpper()))
        found.fixes.append(replaceWith(line, word, inner));
    return found;
}

std::optional<Diagnostic> arithmetic(const ShapeContext &context, const SourceLine &line,
                                     const Word &word)
{
    static const QRegularExpression shape(QStringLiteral("^(.+?)([+-])([0-9]{1,2})$"));
    const QRegularExpressionMatch match = shape.match(word.written().toString());
    if (!match.hasMatch() || !isLabelName(match.capturedView(1)))
        return std::nullopt;
    const QString name = match.captured(1);
    const qint32 offset = match.captured(3).toInt() * (match.captured(2) == u"-" ? -1 : 1);
    Diagnostic found =
        error(Code::OperandArithmetic, line.rangeOf(word),
              quoted(word.written()) +
                  QLatin1String(" is arithmetic: an operand is one label; for another cell than ") +
                  quoted(name) + QLatin1String(", give that cell a label of its own"));
    if (!context.hasLabel(name.toUpper()))
        return found;
    if (offset == 0) {
        found.fixes.append(replaceWith(line, word, name));
        return found;
    }
    if (context.lines == nullptr)
        return found;
    // The cell the sum names: the line that many lines after the label's.
    const qint32 target = context.labels->value(name.toUpper(), -1) + offset;
    if (target < 0 || target >= context.lines->size())
        return found;
    const SourceLine &cell = (*context.lines)[target];
    if (cell.words.isEmpty())
        return found;
    if (cell.words[0].role == Role::Label) {
        const QString label = cell.words[0].written().toString();
        found.fixes.append(
            Fix{QLatin1String("Use ") + quoted(label) +
                    QStringLiteral(", the label of that cell (line %1)").arg(cell.number),
                {Edit{line.rangeOf(word), label}}});
    } else if (isMnemonicWord(cell.words[0])) {
        const QString label =
            context.freeName(name + (offset < 0 ? QLatin1String("_minus") : QLatin1String()) +
                             QString::number(std::abs(offset)));
        found.fixes.append(Fix{QLatin1String("Name line ") + QString::number(cell.number) +
                                   QLatin1String(" '") + label + QLatin1String("' and use it"),
                               {Edit{line.rangeOf(word), label},
                                Edit{Range{cell.number, cell.words[0].begin, cell.words[0].begin},
                                     label + QLatin1Char(' ')}}});
    }
    return found;
}

} // namespace

std::optional<Diagnostic> operandShape(const ShapeContext &context, const SourceLine &line,
                                       const Word &word)
{
    if (std::optional<Diagnostic> found = quotedOperand(context, line, word))
        return found;
    if (std::optional<Diagnostic> found = bracketed(context, line, word))
        return found;
    return arithmetic(context, line, word);
}

std::optional<Diagnostic> listOnLine(const ShapeContext &context, const SourceLine &line)
{
    const Words &words = line.words;
    // The mnemonic: first, or after a label.
    qsizetype at = 0;
    if (words.size() > 1 && !isMnemonicWord(words[0]) && isMnemonicWord(words[1]))
        at = 1;
    // An instruction that takes no operand has other errors to tell.
    if (words.isEmpty() || !isMnemonicWord(words[at]) || at + 1 >= words.size() ||
        words[at].mnemonic()->operand == machine::Operand::None)
        return std::nullopt;
    const Word &first = words[at + 1];
    const Word &last = words.last();
    const bool comma = std::any_of(&first, words.end(), [](const Word &word) {
        return word.written().contains(QLatin1Char(','));
    });
    if (!comma)
        return std::nullopt;
    const QStringView span(first.written().data(), last.written().data() + last.written().size());
    QStringList items =
        span.toString().split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    const Range range = line.rangeOf(first, last);
    if (isData(words[at].mnemonic())) {
        Diagnostic found = error(
            Code::DataList, range,
            quoted(span) + QLatin1String(" is a list, but a DAT line holds one value; write one "
                                         "DAT line, with a label of its own, for each value"));
        if (at == 1 && items.size() > 1 && context.lines != nullptr) {
            // The first value keeps the line and its label; each next one gets a line
            // written as this one is, labelled after it.
            const QString label = words[0].written().toString();
            const QStringView gap1(words[0].written().data() + words[0].written().size(),
                                   words[1].written().data());
            const QStringView gap2(words[1].written().data() + words[1].written().size(),
                                   first.written().data());
            QString text = items[0];
            QStringList names;
            for (qsizetype k = 1; k < items.size(); ++k) {
                QString name = context.freeName(label + QString::number(k + 1));
                for (const QString &taken : std::as_const(names)) {
                    if (taken.compare(name, Qt::CaseInsensitive) == 0)
                        name += QLatin1Char('_');
                }
                names.append(name);
                text += QLatin1Char('\n') + name + gap1.toString() + words[1].written().toString() +
                        gap2.toString() + items[k];
            }
            found.fixes.append(
                Fix{QStringLiteral("Write one DAT line for each value"), {Edit{range, text}}});
        }
        return found;
    }
    if (words.size() == at + 2 && items.size() == 1) {
        // One operand with a comma after it (or before it).
        Diagnostic found =
            error(Code::OperandList, range,
                  quoted(first.written()) + QLatin1String(" has a comma: an operand is one label, "
                                                          "written without one"));
        if (context.hasLabel(items[0].toUpper()) && isLabelName(items[0]))
            found.fixes.append(replaceWith(line, first, items[0]));
        return found;
    }
    return error(Code::OperandList, range,
                 quoted(span) + QLatin1String(" is a list, but ") + quoted(words[at].written()) +
                     QLatin1String(" takes one operand: one label; each instruction works on "
                                   "one cell"));
}

} // namespace diagnostics
