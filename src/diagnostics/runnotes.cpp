#include "diagnostics/runnotes.h"

#include "diagnostics/characters.h"
#include "diagnostics/mnemonic.h"
#include "machine/instructionset.h"
#include "machine/word.h"

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

constexpr QLatin1String kHalt = machine::instruction(machine::Halt).mnemonic;

// A cell as the memory table and the trace number it: two digits.
QString cellName(qint32 address)
{
    return QStringLiteral("cell ") + machine::addressText(address);
}

// Notes on how a run of an assembled program ended.
class RunCheck
{
public:
    explicit RunCheck(const SourceText &text) : text(text), lines(text.lines()) {}

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
        return isProgramCell(address) ? lines[address].allWords() : Range{};
    }
    bool isData(qint32 address) const
    {
        const Word *mnemonic = text.mnemonicOf(address);
        return mnemonic != nullptr && diagnostics::isData(mnemonic->mnemonic());
    }
    // "cell 04 (line 5)", or the cell alone when no line of the program made it.
    QString placeOf(qint32 address) const
    {
        return isProgramCell(address)
                   ? cellName(address) + QStringLiteral(" (line %1)").arg(lines[address].number)
                   : cellName(address);
    }
    void add(Code code, const Range &range, const QString &message)
    {
        found.append(Diagnostic(Severity::Note, code, range, message));
    }

    // The cell a branch on line `address` names, or -1 for a line that is no branch.
    qint32 branchTarget(qint32 address) const
    {
        const Word *mnemonic = text.mnemonicOf(address);
        const Word *operand = text.operandOf(address);
        if (mnemonic == nullptr || operand == nullptr)
            return -1;
        const Instruction *row = mnemonic->mnemonic();
        if (row->operand != Operand::Address || row->opcode < machine::Branch)
            return -1;
        return text.labelLine(operand->key());
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
            add(Code::RunStartsOnData, line.allWords(),
                QLatin1String("the run starts at ") + reached +
                    QLatin1String("; put the instructions first and the data after them"));
            return;
        }
        if (isProgramCell(stop.previousAddress) && branchTarget(stop.previousAddress) == address) {
            const SourceLine &branch = lines[stop.previousAddress];
            add(Code::BranchIntoData, line.allWords(),
                QLatin1String("the branch on line ") + QString::number(branch.number) +
                    QLatin1String(" jumped to ") + reached +
                    QLatin1String("; a branch should name the label of an instruction"));
            found.last().related.append(
                Related{branch.allWords(), QStringLiteral("the branch that jumped here")});
            return;
        }
        add(Code::RunIntoData, line.allWords(),
            QLatin1String("the run reached ") + reached + QLatin1String("; a ") + kHalt +
                QLatin1String(" is probably missing before the data"));
    }

    void pastTheEnd(const RunStop &stop)
    {
        const qsizetype count = lines.size();
        if (count == 0) {
            add(Code::PastTheEnd, Range{},
                QLatin1String("the program has no lines, so the run began in the empty ") +
                    cellName(stop.address));
            return;
        }
        const QString size = count == 1
                                 ? QStringLiteral("the program has 1 line (cell 00)")
                                 : QStringLiteral("the program has %1 lines (cells 00 to %2)")
                                       .arg(count)
                                       .arg(machine::addressText(qint32(count - 1)));
        add(Code::PastTheEnd, placeOfCell(stop.previousAddress),
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
        add(Code::Looping, placeOfCell(stop.lowest),
            steps + (looped ? QLatin1String(" the run looped ") : QLatin1String(" the run was ")) +
                where);
    }

    const SourceText &text;
    const QList<SourceLine> &lines;
    QList<Diagnostic> found;
};

} // namespace

QList<Diagnostic> runNotes(const SourceText &text, const RunStop &stop)
{
    return RunCheck(text).run(stop);
}

} // namespace diagnostics
