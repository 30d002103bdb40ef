#include "assembler/diagnostics.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "machine/instructionset.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

constexpr QLatin1String kHalt = machine::instruction(machine::Halt).mnemonic;
constexpr QLatin1String kData = machine::instruction(machine::Data).mnemonic;

// A word more than this many edits away from every mnemonic gets no suggestion;
// longer words may be two edits away.
constexpr qsizetype kNearEdits = 1;
constexpr qsizetype kNearEditsOfLongWords = 2;
constexpr qsizetype kLongWord = 5;

const QLatin1String kBlankLine{"the line holds only blanks or tabs; an empty line is fine"};
const QLatin1String kEmptyProgram{"the program is empty; a run stops at once with an error"};

QList<QString> fieldsOf(const QString &line)
{
    return splitText(line, QString());
}

// The row of a mnemonic, or null for a word that is none.
const Instruction *rowOf(const QString &word)
{
    for (const Instruction &row : machine::kInstructionSet) {
        if (row.mnemonic == word)
            return &row;
    }
    return nullptr;
}

QString quoted(const QString &word)
{
    return QLatin1Char('\'') + word + QLatin1Char('\'');
}

QString colonInLabel(const QString &label)
{
    return QLatin1String("labels take no colon; this line defines the label ") + quoted(label);
}

QString mnemonicAsLabel(const QString &word)
{
    return quoted(word) + QLatin1String(" is a mnemonic, and mnemonics cannot name labels");
}

QString noHalt()
{
    return QLatin1String("the program has no ") + kHalt +
           QLatin1String(", so a run never halts: it stops with an error or at the step limit");
}

// Edits (insert, delete, replace, or swap two neighbours) that turn one text into the other.
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

// The mnemonics closest to a word that is none, when they are near enough to
// be what was meant; in table order.
QStringList nearestMnemonics(const QString &word)
{
    const qsizetype limit = word.size() >= kLongWord ? kNearEditsOfLongWords : kNearEdits;
    qsizetype best = limit + 1;
    QStringList nearest;
    for (const Instruction &row : machine::kInstructionSet) {
        const QString mnemonic(row.mnemonic);
        if (qAbs(mnemonic.size() - word.size()) > limit)
            continue;
        const qsizetype distance = editDistance(word, mnemonic);
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

// "A", "A or B", "A, B or C".
QString alternatives(const QStringList &words)
{
    if (words.size() < 2)
        return words.join(QString());
    return words.first(words.size() - 1).join(QLatin1String(", ")) + QLatin1String(" or ") +
           words.last();
}

// Warnings about one stored line of a program that assembled.
class LineCheck
{
public:
    LineCheck(const Assembler &assembler, qint32 index, const QString &word, const QString &written,
              QList<Finding> &found)
        : assembler(assembler), index(index), line(lineOf(index)), word(word), written(written),
          found(found), fields(fieldsOf(assembler.lines[std::size_t(index)]))
    {
    }

    // Adds what it finds; true when the line is a halt.
    bool run()
    {
        // An accepted line is MNEMONIC, MNEMONIC NAME, LABEL MNEMONIC or LABEL MNEMONIC OPERAND.
        const bool labelled = fields.size() > 1 && !assembler.isMnemonic(fields[0]);
        const qsizetype at = labelled ? 1 : 0;
        if (at >= fields.size())
            return false;
        const QString &mnemonic = fields[at];
        const Instruction *row = rowOf(mnemonic);
        if (row == nullptr)
            return false;
        const bool hasOperand = at + 1 < fields.size();

        if (labelled)
            checkLabel(*row);
        switch (row->operand) {
        case Operand::Value:
            if (!labelled)
                add(QLatin1String("no label before ") + mnemonic +
                    QLatin1String("; the cell holds ") + word +
                    QLatin1String(", and no operand can name it"));
            else if (hasOperand)
                checkValue(at + 1);
            break;
        case Operand::None:
            if (hasOperand) {
                const QString operand = QLatin1String("operand after ") + mnemonic +
                                        QLatin1String(", which takes none; the word ") + word;
                add(row->opcode == machine::Halt
                        ? operand + QLatin1String(" still halts")
                        : operand + QLatin1String(" is no ") + mnemonic +
                              QLatin1String(" and stops the run with an error when reached"));
            }
            break;
        case Operand::Address:
            if (!hasOperand)
                add(QLatin1String("no operand after ") + mnemonic + QLatin1String("; the word ") +
                    word + QLatin1String(" stops the run with an error when reached"));
            break;
        }
        return row->opcode == machine::Halt;
    }

private:
    qint32 lineOf(qint32 stored) const
    {
        return stored >= 0 && stored < assembler.lineCount
                   ? assembler.lineNumbers[std::size_t(stored)]
                   : 0;
    }

    void add(const QString &text) { found.append(Finding{line, text}); }

    void checkLabel(const Instruction &row)
    {
        const QString &label = fields[0];
        if (label.endsWith(QLatin1Char(':')))
            add(colonInLabel(label));

        // The first definition of a name is the one every operand reaches.
        qint32 used = index;
        try {
            used = assembler.lookup(label, false);
        } catch (const QString &) {
            return; // pass 1 entered every label; nothing to compare with otherwise
        }
        if (used == index)
            return;
        QString text = QLatin1String("label ") + quoted(label) +
                       QLatin1String(" is defined again; line ") + QString::number(lineOf(used)) +
                       QLatin1String(" defines the one that is used");
        // A data line takes its value from that definition too.
        if (row.operand == Operand::Value) {
            const qint32 value = fields.size() > 2 ? fields[2].toInt(nullptr, 10) : 0;
            if (word != QString::number(value))
                text += QLatin1String(", so this cell holds ") + word;
        }
        add(text);
    }

    // A data value the assembler reads as 0 because it is no 32-bit whole number.
    void checkValue(qsizetype at)
    {
        bool ok = false;
        fields[at].toInt(&ok, 10);
        if (ok)
            return;
        // Quoted as written, unless upper-casing changed how the line splits.
        const QList<QString> original = fieldsOf(written.trimmed());
        const QString &value = original.size() == fields.size() ? original[at] : fields[at];
        add(QLatin1String("data value ") + quoted(value) +
            QLatin1String(
                " is not a whole number from -2147483648 to 2147483647; the cell holds ") +
            word);
    }

    const Assembler &assembler;
    const qint32 index;
    const qint32 line;
    const QString &word;
    const QString &written;
    QList<Finding> &found;
    const QList<QString> fields;
};

// Notes on the stored line an assembly error is about.
class ErrorCheck
{
public:
    ErrorCheck(const Assembler &assembler, qint32 index)
        : assembler(assembler), line(assembler.lineNumbers[std::size_t(index)]),
          fields(fieldsOf(assembler.lines[std::size_t(index)]))
    {
    }

    QList<Finding> run()
    {
        const qsizetype count = fields.size();
        const bool firstIsMnemonic = count > 0 && assembler.isMnemonic(fields[0]);
        const bool secondIsMnemonic = count > 1 && assembler.isMnemonic(fields[1]);
        if (count == 0) {
            add(line, kBlankLine);
        } else if (count == 1) {
            suggest(fields[0]);
        } else if (count == 2 && !firstIsMnemonic && !secondIsMnemonic) {
            // MNEMONIC NAME or LABEL MNEMONIC with a misspelt mnemonic.
            suggest(fields[0]);
            suggest(fields[1]);
        } else if (count == 2 && firstIsMnemonic && secondIsMnemonic) {
            // A label before DAT or before an instruction that takes no
            // operand comes first; otherwise the name is the operand.
            const Instruction *first = rowOf(fields[0]);
            const bool labelFirst =
                fields[1] == kData || (first != nullptr && first->operand == Operand::None);
            add(line, mnemonicAsLabel(labelFirst ? fields[0] : fields[1]));
        } else if (count == 2 && firstIsMnemonic) {
            explainMissingName(fields[1]);
        } else if (count == 3 && firstIsMnemonic && secondIsMnemonic) {
            add(line, mnemonicAsLabel(fields[0]));
        } else if (count == 3 && !firstIsMnemonic && !secondIsMnemonic) {
            suggest(fields[1]);
        } else if (count == 3 && !firstIsMnemonic && fields[1] != kData) {
            explainMissingName(fields[2]);
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const Finding &a, const Finding &b) { return a.line < b.line; });
        return found;
    }

private:
    void add(qint32 at, const QString &text) { found.append(Finding{at, text}); }

    void suggest(const QString &word)
    {
        const QStringList nearest = nearestMnemonics(word);
        if (!nearest.isEmpty())
            add(line, quoted(word) + QLatin1String(" is not a mnemonic; did you mean ") +
                          alternatives(nearest) + QLatin1Char('?'));
    }

    // An operand that names no label: perhaps a mnemonic, or a label defined with a colon.
    void explainMissingName(const QString &name)
    {
        if (defines(name) >= 0)
            return; // found after all: the error is about something else
        if (assembler.isMnemonic(name))
            add(line, mnemonicAsLabel(name));
        const qint32 withColon = defines(name + QLatin1Char(':'));
        if (withColon >= 0 && withColon < assembler.lineCount)
            add(assembler.lineNumbers[std::size_t(withColon)],
                colonInLabel(name + QLatin1Char(':')));
    }

    // The stored line that defines a name, or -1.
    qint32 defines(const QString &name) const
    {
        try {
            return assembler.lookup(name, false);
        } catch (const QString &) {
            return -1;
        }
    }

    const Assembler &assembler;
    const qint32 line;
    const QList<QString> fields;
    QList<Finding> found;
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
    RunCheck(const Assembler &assembler, const QString &source)
        : assembler(assembler), written(splitText(source, QStringLiteral("\n")))
    {
    }

    QList<Finding> run(const RunStop &stop)
    {
        if (stop.kind == RunStop::StepLimit)
            looping(stop);
        else if (isProgramCell(stop.address) && isData(stop.address))
            intoData(stop.address);
        else if (stop.address >= assembler.lineCount)
            pastTheEnd(stop);
        return found;
    }

private:
    bool isProgramCell(qint32 address) const
    {
        return address >= 0 && address < assembler.lineCount;
    }
    qint32 lineOf(qint32 address) const
    {
        return isProgramCell(address) ? assembler.lineNumbers[std::size_t(address)] : 0;
    }
    bool isData(qint32 address) const
    {
        const QList<QString> fields = fieldsOf(assembler.lines[std::size_t(address)]);
        return (fields.size() >= 1 && fields[0] == kData) ||
               (fields.size() >= 2 && !assembler.isMnemonic(fields[0]) && fields[1] == kData);
    }
    // "cell 04 (line 5)", or the cell alone when no line of the program made it.
    QString placeOf(qint32 address) const
    {
        return isProgramCell(address)
                   ? cellName(address) + QStringLiteral(" (line %1)").arg(lineOf(address))
                   : cellName(address);
    }
    void add(qint32 line, const QString &text) { found.append(Finding{line, text}); }

    void intoData(qint32 address)
    {
        add(lineOf(address), QLatin1String("the run reached ") + cellName(address) +
                                 QLatin1String(", the data of this line (") +
                                 quoted(written.value(address).trimmed()) +
                                 QLatin1String("), and took it for an instruction; a ") + kHalt +
                                 QLatin1String(" is probably missing before the data"));
    }

    void pastTheEnd(const RunStop &stop)
    {
        const qint32 count = assembler.lineCount;
        if (count == 0) {
            add(0, QLatin1String("the program has no lines, so the run began in the empty ") +
                       cellName(stop.address));
            return;
        }
        const QString size = count == 1
                                 ? QStringLiteral("the program has 1 line (cell 00)")
                                 : QStringLiteral("the program has %1 lines (cells 00 to %2)")
                                       .arg(count)
                                       .arg(count - 1, 2, 10, QLatin1Char('0'));
        add(lineOf(stop.previousAddress),
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
        add(lineOf(stop.lowest),
            steps + (looped ? QLatin1String(" the run looped ") : QLatin1String(" the run was ")) +
                where);
    }

    const Assembler &assembler;
    const QList<QString> written; // the stored lines as written
    QList<Finding> found;
};

} // namespace

QList<Finding> warnings(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    QList<QString> image;
    try {
        image = splitText(assembler.assemble(source), QStringLiteral("\n"));
    } catch (const QString &) {
        return {};
    }
    if (assembler.lineCount == 0)
        return {Finding{0, kEmptyProgram}};

    // The parts of the text that loadLines stored, in the same order, before upper-casing.
    const QList<QString> written = splitText(source, QStringLiteral("\n"));
    QList<Finding> found;
    bool halts = false;
    for (qint32 k = 0; k < assembler.lineCount; ++k) {
        const QString word = image.value(k);
        const QString original = written.value(k);
        if (LineCheck(assembler, k, word, original, found).run())
            halts = true;
    }
    if (!halts)
        found.prepend(Finding{0, noHalt()});
    return found;
}

QList<Finding> notes(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        assembler.assemble(source);
        return {};
    } catch (const QString &) {
    }
    const qint32 index = assembler.errorLine;
    if (index < 0 || index >= assembler.lineCount)
        return {};
    return ErrorCheck(assembler, index).run();
}

QList<Finding> runNotes(const QString &source, const RunStop &stop)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        assembler.assemble(source);
    } catch (const QString &) {
        return {};
    }
    return RunCheck(assembler, source).run(stop);
}

} // namespace diagnostics
