#include "assembler/diagnostics.h"

#include "assembler/assembler.h"
#include "assembler/characters.h"
#include "assembler/flowwarnings.h"
#include "assembler/mnemonic.h"
#include "assembler/sourcetext.h"
#include "assembler/splittext.h"
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
constexpr QLatin1String kData = machine::instruction(machine::Data).mnemonic;

Diagnostic make(Severity severity, const char *kind, const Range &range, const QString &message)
{
    Diagnostic found;
    found.severity = severity;
    found.kind = QLatin1String(kind);
    found.range = range;
    found.message = message;
    return found;
}

// All the words of a line, or the whole line when it has none.
Range wordsOf(const SourceLine &line)
{
    return line.words.isEmpty() ? line.whole()
                                : line.rangeOf(line.words.first(), line.words.last());
}

QString noHalt()
{
    return QLatin1String("the program has no ") + kHalt +
           QLatin1String(", so a run never halts: it stops with an error or at the step limit");
}

// Warnings about one stored line of a program that assembled.
class LineCheck
{
public:
    LineCheck(const Assembler &assembler, const QList<SourceLine> &lines, qint32 index,
              const QString &word, QList<Diagnostic> &found)
        : assembler(assembler), lines(lines), line(lines[index]), index(index), word(word),
          found(found)
    {
    }

    // Adds what it finds; true when the line is a halt.
    bool run()
    {
        const QList<Word> &words = line.words;
        // An accepted line is MNEMONIC, MNEMONIC NAME, LABEL MNEMONIC or LABEL MNEMONIC OPERAND.
        const bool labelled = words.size() > 1 && rowOf(words[0].key) == nullptr;
        const qsizetype at = labelled ? 1 : 0;
        if (at >= words.size())
            return false;
        const Word &mnemonic = words[at];
        const Instruction *row = rowOf(mnemonic.key);
        if (row == nullptr)
            return false;
        const bool hasOperand = at + 1 < words.size();
        const QString name(row->mnemonic);

        if (labelled)
            checkLabel(*row);
        switch (row->operand) {
        case Operand::Value:
            if (!labelled)
                add("unlabelled-data", line.rangeOf(mnemonic),
                    QLatin1String("no label before ") + name + QLatin1String("; the cell holds ") +
                        word + QLatin1String(", and no operand can name it"));
            else if (hasOperand)
                checkValue(words[at + 1]);
            break;
        case Operand::None:
            if (hasOperand) {
                const QString operand = QLatin1String("operand after ") + name +
                                        QLatin1String(", which takes none; the word ") + word;
                add("operand-not-taken", line.rangeOf(words[at + 1]),
                    row->opcode == machine::Halt
                        ? operand + QLatin1String(" still halts")
                        : operand + QLatin1String(" is no ") + name +
                              QLatin1String(" and stops the run with an error when reached"));
            }
            break;
        case Operand::Address:
            if (!hasOperand)
                add("missing-operand", line.rangeOf(mnemonic),
                    QLatin1String("no operand after ") + name + QLatin1String("; the word ") +
                        word + QLatin1String(" stops the run with an error when reached"));
            break;
        }
        return row->opcode == machine::Halt;
    }

private:
    Diagnostic &add(const char *kind, const Range &range, const QString &text)
    {
        found.append(make(Severity::Warning, kind, range, text));
        return found.last();
    }

    void checkLabel(const Instruction &row)
    {
        const Word &label = line.words[0];
        if (label.key.endsWith(QLatin1Char(':')))
            add("label-with-colon", line.rangeOf(label),
                QLatin1String("labels take no colon; this line defines the label ") +
                    quoted(label.written));

        // The first definition of a name is the one every operand reaches.
        qint32 used = index;
        try {
            used = assembler.lookup(label.key, false);
        } catch (const QString &) {
            return; // pass 1 entered every label; nothing to compare with otherwise
        }
        if (used == index || used < 0 || used >= lines.size())
            return;
        const SourceLine &first = lines[used];
        QString text = QLatin1String("label ") + quoted(label.written) +
                       QLatin1String(" is defined again; line ") + QString::number(first.number) +
                       QLatin1String(" defines the one that is used");
        // A data line takes its value from that definition too.
        if (row.operand == Operand::Value) {
            const qint32 value = line.words.size() > 2 ? line.words[2].key.toInt(nullptr, 10) : 0;
            if (word != QString::number(value))
                text += QLatin1String(", so this cell holds ") + word;
        }
        Diagnostic &warning = add("duplicate-label", line.rangeOf(label), text);
        warning.related.append(
            Related{first.rangeOf(first.words[0]), QStringLiteral("first defined here")});
    }

    // A data value the assembler reads as 0 because it is no 32-bit whole number.
    void checkValue(const Word &value)
    {
        bool ok = false;
        value.key.toInt(&ok, 10);
        if (ok)
            return;
        const std::optional<OddCharacter> odd = firstOddCharacter(value.written);
        if (!odd) {
            add("data-not-a-number", line.rangeOf(value),
                QLatin1String("data value ") + quoted(value.written) +
                    QLatin1String(" is not a whole number from -2147483648 to 2147483647; the "
                                  "cell holds ") +
                    word);
            return;
        }
        // A sign or a digit that only looks like one.
        Diagnostic &warning = add("data-not-a-number", line.rangeOf(value),
                                  oddCharacterMessage(value.written, *odd) +
                                      QLatin1String("; the cell holds ") + word);
        warning.fixes.append(oddCharacterFix(value.written, line.number, value.begin, *odd));
    }

    const Assembler &assembler;
    const QList<SourceLine> &lines;
    const SourceLine &line;
    const qint32 index;
    const QString &word;
    QList<Diagnostic> &found;
};

// A cell as the memory table and the trace number it: two digits.
QString cellName(qint32 address)
{
    return QStringLiteral("cell %1").arg(address, 2, 10, QLatin1Char('0'));
}

// Notes on how a run of an assembled program ended.
class RunCheck
{
public:
    explicit RunCheck(const QString &source) : lines(storedLines(source)) {}

    QList<Diagnostic> run(const RunStop &stop)
    {
        if (stop.kind == RunStop::StepLimit)
            looping(stop);
        else if (isProgramCell(stop.address) && isData(stop.address))
            intoData(stop);
        else if (stop.address >= lines.size())
            pastTheEnd(stop);
        return found;
    }

private:
    bool isProgramCell(qint32 address) const { return address >= 0 && address < lines.size(); }
    Range placeOfCell(qint32 address) const
    {
        return isProgramCell(address) ? wordsOf(lines[address]) : Range{};
    }
    bool isData(qint32 address) const
    {
        const QList<Word> &words = lines[address].words;
        return (words.size() >= 1 && words[0].key == kData) ||
               (words.size() >= 2 && rowOf(words[0].key) == nullptr && words[1].key == kData);
    }
    // "cell 04 (line 5)", or the cell alone when no line of the program made it.
    QString placeOf(qint32 address) const
    {
        return isProgramCell(address)
                   ? cellName(address) + QStringLiteral(" (line %1)").arg(lines[address].number)
                   : cellName(address);
    }
    void add(const char *kind, const Range &range, const QString &text)
    {
        found.append(make(Severity::Note, kind, range, text));
    }

    // The cell a branch on line `address` names, or -1 for a line that is no branch.
    qint32 branchTarget(qint32 address) const
    {
        const QList<Word> &words = lines[address].words;
        const qsizetype at = words.size() > 1 && rowOf(words[0].key) == nullptr ? 1 : 0;
        if (at + 1 >= words.size())
            return -1;
        const Instruction *row = rowOf(words[at].key);
        if (row == nullptr || row->operand != Operand::Address || row->opcode < machine::Branch)
            return -1;
        return cellOfLabel(words[at + 1].key);
    }
    // The cell of a label's first definition, or -1.
    qint32 cellOfLabel(const QString &key) const
    {
        for (qint32 k = 0; k < lines.size(); ++k) {
            const QList<Word> &words = lines[k].words;
            if (words.size() > 1 && rowOf(words[0].key) == nullptr && words[0].key == key)
                return k;
        }
        return -1;
    }

    // Three ways into data: the run starts on it, a branch names it, or the
    // run falls into it from the instruction before.
    void intoData(const RunStop &stop)
    {
        const qint32 address = stop.address;
        const SourceLine &line = lines[address];
        const QString reached = cellName(address) + QLatin1String(", the data of this line (") +
                                quoted(line.text.trimmed()) +
                                QLatin1String("), and took it for an instruction");
        if (stop.previousAddress < 0) {
            add("run-starts-on-data", wordsOf(line),
                QLatin1String("the run starts at ") + reached +
                    QLatin1String("; put the instructions first and the data after them"));
            return;
        }
        if (isProgramCell(stop.previousAddress) && branchTarget(stop.previousAddress) == address) {
            const SourceLine &branch = lines[stop.previousAddress];
            add("branch-into-data", wordsOf(line),
                QLatin1String("the branch on line ") + QString::number(branch.number) +
                    QLatin1String(" jumped to ") + reached +
                    QLatin1String("; a branch should name the label of an instruction"));
            found.last().related.append(
                Related{wordsOf(branch), QStringLiteral("the branch that jumped here")});
            return;
        }
        add("run-into-data", wordsOf(line),
            QLatin1String("the run reached ") + reached + QLatin1String("; a ") + kHalt +
                QLatin1String(" is probably missing before the data"));
    }

    void pastTheEnd(const RunStop &stop)
    {
        const qsizetype count = lines.size();
        if (count == 0) {
            add("past-the-end", Range{},
                QLatin1String("the program has no lines, so the run began in the empty ") +
                    cellName(stop.address));
            return;
        }
        const QString size = count == 1
                                 ? QStringLiteral("the program has 1 line (cell 00)")
                                 : QStringLiteral("the program has %1 lines (cells 00 to %2)")
                                       .arg(count)
                                       .arg(count - 1, 2, 10, QLatin1Char('0'));
        add("past-the-end", placeOfCell(stop.previousAddress),
            QLatin1String("the run went past the end of the program into ") +
                cellName(stop.address) + QLatin1String(": ") + size + QLatin1String(", and a ") +
                kHalt + QLatin1String(" or a branch is missing after its last instruction"));
    }

    // Where the last steps before the step limit ran. More steps than cells
    // between the lowest and the highest address means some ran again: a loop.
    void looping(const RunStop &stop)
    {
        if (stop.lowest < 0 || stop.highest < stop.lowest || stop.recentSteps == 0)
            return;
        const bool looped = stop.recentSteps > quint64(stop.highest - stop.lowest + 1);
        const QString where = stop.lowest == stop.highest
                                  ? QLatin1String("at ") + placeOf(stop.lowest)
                                  : QLatin1String("between ") + placeOf(stop.lowest) +
                                        QLatin1String(" and ") + placeOf(stop.highest);
        const QString steps = stop.recentSteps == 1
                                  ? QStringLiteral("in its last step")
                                  : QStringLiteral("in its last %1 steps").arg(stop.recentSteps);
        add("looping", placeOfCell(stop.lowest),
            steps + (looped ? QLatin1String(" the run looped ") : QLatin1String(" the run was ")) +
                where);
    }

    const QList<SourceLine> lines;
    QList<Diagnostic> found;
};

// A run's message in korvane-run's form: "Error: Program counter <150> is
// outside." gives "program counter <150> is outside".
QString ownWording(QString message)
{
    message = message.trimmed();
    // The processor's "Error in execution <N>." is about a word whose
    // operation code names no instruction.
    const QLatin1String unknownCode("Error in execution ");
    if (message.startsWith(unknownCode))
        message.replace(0, unknownCode.size(),
                        QLatin1String("no instruction has the operation code "));
    const QLatin1String prefix("Error: ");
    if (message.startsWith(prefix))
        message.remove(0, prefix.size());
    if (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    if (!message.isEmpty())
        message[0] = message[0].toLower();
    return message;
}

} // namespace

QList<Diagnostic> warnings(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    QList<QString> image;
    try {
        image = splitText(assembler.assemble(source), QStringLiteral("\n"));
    } catch (const QString &) {
        return {};
    }
    if (assembler.lineCount == 0)
        return {make(Severity::Warning, "empty-program", Range{},
                     QStringLiteral("the program is empty; a run stops at once with an error"))};

    // The same lines the assembler stored, in the same order, as written.
    const QList<SourceLine> lines = storedLines(source);
    QList<Diagnostic> found;
    bool halts = false;
    for (qint32 k = 0; k < assembler.lineCount && k < lines.size(); ++k) {
        const QString word = image.value(k);
        if (LineCheck(assembler, lines, k, word, found).run())
            halts = true;
    }
    found.append(flowWarnings(lines, image));
    // By line, those about the whole program first; a line's own order kept.
    std::stable_sort(found.begin(), found.end(), [](const Diagnostic &a, const Diagnostic &b) {
        return a.range.line < b.range.line;
    });
    if (!halts)
        found.prepend(make(Severity::Warning, "no-halt", Range{}, noHalt()));
    return found;
}

QList<Diagnostic> runNotes(const QString &source, const RunStop &stop)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        assembler.assemble(source);
    } catch (const QString &) {
        return {};
    }
    return RunCheck(source).run(stop);
}

Diagnostic runError(const QString &source, qint32 address, const char *kind, const QString &message)
{
    Diagnostic found = make(Severity::Error, kind, Range{}, ownWording(message));
    if (address < 0)
        return found;
    const QList<SourceLine> lines = storedLines(source);
    if (address >= lines.size())
        return found;
    const SourceLine &line = lines[address];
    const QList<Word> &words = line.words;
    // The mnemonic: first, or after a label; a data line as a whole.
    qsizetype at = 0;
    if (words.size() > 1 && rowOf(words[0].key) == nullptr)
        at = 1;
    if (at < words.size() && words[at].key != kData)
        found.range = line.rangeOf(words[at]);
    else
        found.range = wordsOf(line);
    return found;
}

} // namespace diagnostics
