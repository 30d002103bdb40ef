#include "diagnostics/flowwarnings.h"

#include "diagnostics/characters.h"
#include "diagnostics/mnemonic.h"
#include "machine/instructionword.h"

namespace diagnostics
{

namespace
{

using machine::Instruction;
using machine::Operand;

// What one stored line holds, as far as the flow of a run is concerned.
struct Cell {
    const Instruction *row = nullptr; // null for a line without a mnemonic
    const Word *operand = nullptr;    // the word after the mnemonic, if any
    qint32 target = -1;               // the cell the operand names, -1 for none
    bool isData() const { return row != nullptr && row->opcode == machine::Data; }
    bool isBranch() const { return row != nullptr && row->isBranch(); }
};

// "decodes to LDA 12" or "decodes to operation code 61, which no instruction has".
QString decoding(const QString &word)
{
    const machine::Decoded decoded = machine::decodeWord(word);
    if (!decoded.ok())
        return QLatin1String("is no instruction word at all");
    const Instruction *row = machine::instructionFor(decoded.opcode);
    if (row == nullptr)
        return QStringLiteral("decodes to operation code %1, which no instruction has")
            .arg(decoded.opcode);
    if (row->operand == Operand::None)
        return QLatin1String("decodes to ") + QString(row->mnemonic);
    return QStringLiteral("decodes to %1 %2").arg(QString(row->mnemonic)).arg(decoded.address);
}

bool decodesToInstruction(const QString &word)
{
    const machine::Decoded decoded = machine::decodeWord(word);
    return decoded.ok() && machine::instructionFor(decoded.opcode) != nullptr;
}

class Flow
{
public:
    Flow(const SourceText &text, const QStringList &image) : lines(text.lines()), image(image)
    {
        cells.resize(lines.size());
        for (qint32 k = 0; k < lines.size(); ++k) {
            Cell &cell = cells[k];
            if (const Word *mnemonic = text.mnemonicOf(k))
                cell.row = mnemonic->mnemonic();
            cell.operand = text.operandOf(k);
            if (cell.row != nullptr && cell.row->operand == Operand::Address && cell.operand)
                cell.target = text.labelLine(cell.operand->key());
        }
    }

    QList<Diagnostic> run()
    {
        dataFirst();
        for (qint32 k = 0; k < cells.size(); ++k) {
            storeIntoCode(k);
            branchIntoData(k);
        }
        if (!cells.isEmpty() && !cells[0].isData())
            unreachable();
        return found;
    }

private:
    void add(Code code, const Range &range, const QString &message)
    {
        found.append(Diagnostic(Severity::Warning, code, range, message));
    }
    Range wordsOf(qint32 k) const { return lines[k].allWords(); }
    QString lineOf(qint32 k) const { return QStringLiteral("line %1").arg(lines[k].number); }

    // The run starts at cell 00 whatever it holds.
    void dataFirst()
    {
        if (cells.isEmpty() || !cells[0].isData())
            return;
        const bool codeFollows = std::any_of(cells.begin(), cells.end(), [](const Cell &cell) {
            return cell.row != nullptr && !cell.isData();
        });
        if (!codeFollows)
            return;
        add(Code::DataBeforeCode, wordsOf(0),
            QLatin1String("data before the first instruction: the run starts at cell 00, and "
                          "its word ") +
                image.value(0) + QLatin1Char(' ') + decoding(image.value(0)) +
                QLatin1String("; put the instructions first and the data after them"));
    }

    void storeIntoCode(qint32 k)
    {
        const Cell &cell = cells[k];
        if (cell.row == nullptr || cell.row->opcode != machine::Store || cell.target < 0)
            return;
        const Cell &target = cells[cell.target];
        if (target.row == nullptr || target.isData())
            return;
        // The accumulator is stored as a number: leading zeros are lost.
        const QString word = image.value(cell.target);
        bool isNumber = false;
        const qint64 value = word.toLongLong(&isNumber, 10);
        QString text = QLatin1String("STA writes into ") + quoted(cell.operand->written()) +
                       QLatin1String(", which labels the instruction on ") + lineOf(cell.target) +
                       QLatin1String(", so the program overwrites its own code");
        if (isNumber) {
            const QString stored = QString::number(value);
            text += QLatin1String("; a stored number loses its leading zeros: that line's word ") +
                    word +
                    (stored == word ? QLatin1String(", stored back, stays ") + stored
                                    : QLatin1String(", stored back, becomes ") + stored) +
                    QLatin1String(", which ") + decoding(stored);
        }
        add(Code::StoreIntoCode, lines[k].rangeOf(*cell.operand),
            text + QLatin1String("; keep numbers in DAT lines"));
    }

    void branchIntoData(qint32 k)
    {
        const Cell &cell = cells[k];
        if (!cell.isBranch() || cell.target < 0 || !cells[cell.target].isData())
            return;
        const QString word = image.value(cell.target);
        if (decodesToInstruction(word))
            return; // a DAT 1202 is a legal OUT
        add(Code::BranchIntoData, lines[k].rangeOf(*cell.operand),
            QString(cell.row->mnemonic) + QLatin1String(" jumps to ") +
                quoted(cell.operand->written()) + QLatin1String(", the data on ") +
                lineOf(cell.target) + QLatin1String(", whose word ") + word + QLatin1Char(' ') +
                decoding(word) +
                QLatin1String("; a run that takes this branch stops there with an error"));
    }

    // Every cell a run from cell 00 can reach, branches taken both ways.
    void unreachable()
    {
        QList<bool> reached(cells.size(), false);
        QList<qint32> pending{0};
        while (!pending.isEmpty()) {
            const qint32 k = pending.takeLast();
            if (k < 0 || k >= cells.size() || reached[k])
                continue;
            reached[k] = true;
            const Cell &cell = cells[k];
            if (cell.row == nullptr || cell.isData() || cell.row->opcode == machine::Halt)
                continue; // a run stops here
            if (cell.isBranch())
                pending.append(cell.target);
            if (cell.row->opcode != machine::Branch)
                pending.append(k + 1);
        }
        for (qint32 k = 0; k < cells.size(); ++k) {
            if (reached[k] || cells[k].row == nullptr || cells[k].isData())
                continue;
            qint32 last = k;
            while (last + 1 < cells.size() && !reached[last + 1] && cells[last + 1].row &&
                   !cells[last + 1].isData())
                ++last;
            add(Code::Unreachable, wordsOf(k),
                k == last ? QStringLiteral("no path from cell 00 reaches this instruction, so it "
                                           "never runs")
                          : QStringLiteral("no path from cell 00 reaches the %1 instructions of "
                                           "lines %2 to %3, so they never run")
                                .arg(last - k + 1)
                                .arg(lines[k].number)
                                .arg(lines[last].number));
            k = last;
        }
    }

    const QList<SourceLine> &lines;
    const QStringList &image;
    QList<Cell> cells;
    QList<Diagnostic> found;
};

} // namespace

QList<Diagnostic> flowWarnings(const SourceText &text, const QStringList &image)
{
    return Flow(text, image).run();
}

} // namespace diagnostics
