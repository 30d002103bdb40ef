#include "diagnostics/warnings.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "diagnostics/characters.h"
#include "diagnostics/flowwarnings.h"
#include "machine/instructionset.h"

#include <algorithm>
#include <optional>

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

constexpr QLatin1String kHalt = machine::instruction(machine::Halt).mnemonic;

QString noHalt()
{
    return QLatin1String("the program has no ") + kHalt +
           QLatin1String(", so a run never halts: it stops with an error or at the step limit");
}

// Warnings about one stored line of a program that assembled.
class LineCheck
{
public:
    LineCheck(const SourceText &text, qint32 index, const QString &word, QList<Diagnostic> &found)
        : text(text), lines(text.lines()), line(lines[index]), index(index), word(word),
          found(found)
    {
    }

    // Adds what it finds; true when the line is a halt.
    bool run()
    {
        const Words &words = line.words;
        // An accepted line is MNEMONIC, MNEMONIC NAME, LABEL MNEMONIC or LABEL MNEMONIC OPERAND.
        const bool labelled = words.size() > 1 && words[0].mnemonic() == nullptr;
        const qsizetype at = labelled ? 1 : 0;
        if (at >= words.size())
            return false;
        const Word &mnemonic = words[at];
        const Instruction *row = mnemonic.mnemonic();
        if (row == nullptr)
            return false;
        const bool hasOperand = at + 1 < words.size();
        const QString name(row->mnemonic);

        if (labelled)
            checkLabel(*row);
        switch (row->operand) {
        case Operand::Value:
            if (!labelled)
                add(Code::UnlabelledData, line.rangeOf(mnemonic),
                    QLatin1String("no label before ") + name + QLatin1String("; the cell holds ") +
                        word + QLatin1String(", and no operand can name it"));
            else if (hasOperand)
                checkValue(words[at + 1]);
            break;
        case Operand::None:
            if (hasOperand) {
                const QString operand = QLatin1String("operand after ") + name +
                                        QLatin1String(", which takes none; the word ") + word;
                add(Code::OperandNotTaken, line.rangeOf(words[at + 1]),
                    row->opcode == machine::Halt
                        ? operand + QLatin1String(" still halts")
                        : operand + QLatin1String(" is no ") + name +
                              QLatin1String(" and stops the run with an error when reached"));
            }
            break;
        case Operand::Address:
            if (!hasOperand && labelled && dataLabelAfter(index) >= 0)
                dataLabelBefore(words[0], mnemonic);
            else if (!hasOperand)
                add(Code::MissingOperand, line.rangeOf(mnemonic),
                    QLatin1String("no operand after ") + name + QLatin1String("; the word ") +
                        word + QLatin1String(" stops the run with an error when reached"));
            break;
        }
        return row->opcode == machine::Halt;
    }

private:
    // For a line "x STA" (a label, then an instruction that takes an operand
    // and has none): the index of a data line that defines x too, or -1.
    qint32 dataLabelAfter(qint32 k) const
    {
        const Words &words = lines[k].words;
        if (words.size() != 2 || words[0].mnemonic() != nullptr || words[1].mnemonic() == nullptr ||
            words[1].mnemonic()->operand != Operand::Address)
            return -1;
        for (qint32 other = 0; other < lines.size(); ++other) {
            const Words &data = lines[other].words;
            if (other != k && data.size() >= 2 && data[0].key() == words[0].key() &&
                data[1].mnemonic() != nullptr && data[1].mnemonic()->operand == Operand::Value)
                return other;
        }
        return -1;
    }

    // "x STA" where x labels a data line: the operand written before the instruction.
    void dataLabelBefore(const Word &label, const Word &mnemonic)
    {
        const QString swapped =
            mnemonic.written().toString() + QLatin1Char(' ') + label.written().toString();
        const SourceLine &data = lines[dataLabelAfter(index)];
        Diagnostic &warning = add(
            Code::DataLabelBeforeInstruction, line.rangeOf(label, mnemonic),
            quoted(label.written()) +
                QStringLiteral(" labels the data line %1, and stands before ").arg(data.number) +
                quoted(mnemonic.written()) +
                QLatin1String(" as its label; an operand comes after "
                              "the instruction: '") +
                shown(swapped) + QLatin1Char('\''));
        warning.related.append(
            Related{data.rangeOf(data.words[0]), QStringLiteral("the data line")});
        warning.fixes.append(Fix{QLatin1String("Write '") + shown(swapped) + QLatin1Char('\''),
                                 {Edit{line.rangeOf(label, mnemonic), swapped}}});
    }

    Diagnostic &add(Code code, const Range &range, const QString &message)
    {
        found.append(Diagnostic(Severity::Warning, code, range, message));
        return found.last();
    }

    void checkLabel(const Instruction &row)
    {
        const Word &label = line.words[0];
        if (label.key().endsWith(QLatin1Char(':')))
            add(Code::LabelWithColon, line.rangeOf(label),
                QLatin1String("labels take no colon; this line defines the label ") +
                    quoted(label.written()));

        // The first definition of a name is the one every operand reaches.
        const qint32 used = text.labelLine(label.key());
        if (used == index || used < 0 || used >= lines.size() || dataLabelAfter(used) >= 0 ||
            dataLabelAfter(index) >= 0)
            return;
        const SourceLine &first = lines[used];
        QString text = QLatin1String("label ") + quoted(label.written()) +
                       QLatin1String(" is defined again; line ") + QString::number(first.number) +
                       QLatin1String(" defines the one that is used");
        // A data line takes its value from that definition too.
        if (row.operand == Operand::Value) {
            const qint32 value = line.words.size() > 2 ? line.words[2].key().toInt(nullptr, 10) : 0;
            if (word != QString::number(value))
                text += QLatin1String(", so this cell holds ") + word;
        }
        Diagnostic &warning = add(Code::DuplicateLabel, line.rangeOf(label), text);
        warning.related.append(
            Related{first.rangeOf(first.words[0]), QStringLiteral("first defined here")});
    }

    // A data value the assembler reads as 0 because it is no 32-bit whole number.
    void checkValue(const Word &value)
    {
        bool ok = false;
        value.key().toInt(&ok, 10);
        if (ok)
            return;
        const std::optional<OddCharacter> odd = firstOddCharacter(value.written());
        if (!odd) {
            add(Code::DataNotANumber, line.rangeOf(value),
                QLatin1String("data value ") + quoted(value.written()) +
                    QLatin1String(" is not a whole number from -2147483648 to 2147483647; the "
                                  "cell holds ") +
                    word);
            return;
        }
        // A sign or a digit that only looks like one.
        Diagnostic &warning = add(Code::DataNotANumber, line.rangeOf(value),
                                  oddCharacterMessage(value.written(), *odd) +
                                      QLatin1String("; the cell holds ") + word);
        warning.fixes.append(oddCharacterFix(value.written(), line.number, value.begin, *odd));
    }

    const SourceText &text;
    const QList<SourceLine> &lines;
    const SourceLine &line;
    const qint32 index;
    const QString &word;
    QList<Diagnostic> &found;
};

} // namespace

QList<Diagnostic> warnings(const SourceText &text, const QStringList &image, qsizetype limit,
                           qsizetype *omitted)
{
    if (omitted != nullptr)
        *omitted = 0;
    if (image.isEmpty())
        return {Diagnostic(Severity::Warning, Code::EmptyProgram, Range{},
                           QStringLiteral("the program is empty; a run stops at once with an "
                                          "error"))};
    QList<Diagnostic> found;
    bool halts = false;
    for (qint32 k = 0; k < image.size() && k < text.lines().size(); ++k) {
        if (LineCheck(text, k, image[k], found).run())
            halts = true;
    }
    found.append(flowWarnings(text, image));
    // By line, those about the whole program first; a line's own order kept.
    std::stable_sort(found.begin(), found.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.range.line < b.range.line;
    });
    if (!halts)
        found.prepend(Diagnostic(Severity::Warning, Code::NoHalt, Range{}, noHalt()));
    // A program of at most a hundred lines has few enough to find them all;
    // only those within the limit are kept.
    if (limit > 0 && found.size() > limit) {
        const qsizetype rest = found.size() - limit;
        found.resize(limit);
        found.append(Diagnostic(Severity::Warning, Code::TooManyWarnings, Range{},
                                QStringLiteral("and %1 more warnings").arg(rest)));
        if (omitted != nullptr)
            *omitted = rest;
    }
    return found;
}

QList<Diagnostic> warnings(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    QStringList image;
    try {
        image = splitText(assembler.assemble(source), QStringLiteral("\n"));
    } catch (const QString &) {
        return {};
    }
    return warnings(SourceText(source), image);
}

} // namespace diagnostics
