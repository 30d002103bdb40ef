#pragma once

// The simulated processor, free of any user interface.
//
// It holds the 100 memory words and the registers and runs fetch, decode and
// execute until something needs the outside world: a halt, an INP waiting for
// a value, an operand that is not a number, a fault that ends the run, or the
// step count the caller asked to stop at. Front ends (the window, the
// terminal runner) drive it and show what it reports; they never interpret
// instructions themselves.
//
// Decoded words and operand values are cached per cell and dropped when a
// store changes the cell, so a loop decodes each word once, not once per step.

#include "cpu/decode.h"
#include "machine/word.h"

#include <QString>

#include <array>
#include <bitset>
#include <limits>
#include <optional>
#include <vector>

namespace machine
{

class Processor
{
public:
    enum class Stop : quint8 {
        Halted,           // HLT executed
        NeedsInput,       // INP waits: call completeInput() with the value, then run() again
        OperandNotNumber, // an operand cell is no number; operandErrorLine() tells which
        Fault,            // the run cannot go on; faultMessage() tells why
        StepLimit,        // executedSteps() reached the requested count
    };

    // What a display has to show since it last took the changes. The program
    // counter, opcode and address labels show the current register values
    // once their flag is set; the accumulator label shows the accumulator
    // (INP shows the typed text instead, which only the front end knows).
    struct Changes {
        bool pc = false;
        bool decoded = false;
        bool accumulator = false;
        bool flags = false;
        std::optional<qint32> currentCell; // pc after the last completed step
        std::bitset<kMemorySize> storedCells;
        std::vector<qint32> output; // OUT values in order
    };

    static constexpr quint64 kNoStepLimit = std::numeric_limits<quint64>::max();

    Processor();

    void setWord(int address, const QString &word);
    QString word(int address) const;

    qint32 pc() const { return pc_; }
    qint32 accumulator() const { return accumulator_; }
    qint32 flags() const { return flags_; }
    qint32 opcode() const { return opcode_; }
    qint32 address() const { return address_; }
    bool halted() const { return halted_; }
    quint64 executedSteps() const { return executedSteps_; }

    // Runs until a stop; StepLimit once executedSteps() has reached stopAtStep.
    Stop run(quint64 stopAtStep = kNoStepLimit);
    // Finishes the INP that stopped the run with NeedsInput.
    void completeInput(qint32 value);

    QString faultMessage() const { return faultMessage_; }
    // The standard error line for the instruction whose operand is no number.
    QString operandErrorLine() const;

    const Changes &changes() const { return changes_; }
    Changes takeChanges();

private:
    struct Cell {
        QString text;
        bool textStale = false; // a store left its value; text is rebuilt on demand
        bool decodeKnown = false;
        bool valueKnown = false;
        bool valueIsNumber = false;
        Decoded decoded;
        qint32 value = 0;
    };

    enum class Outcome : quint8 { Continue, Halted, NeedsInput, OperandNotNumber, Fault };

    Cell &cell(qint32 address) { return cells_[static_cast<size_t>(address)]; }
    const QString &text(Cell &cell);
    void decodeCell(Cell &cell);
    const Cell *operand(); // null after a fault
    Outcome execute();
    Outcome arithmetic(qint32 (*operation)(qint32, qint32));
    Outcome fault(QString message);
    Outcome addressFault();
    void branchIf(bool condition);

    std::array<Cell, kMemorySize> cells_;
    qint32 pc_ = 0;
    qint32 accumulator_ = 0;
    qint32 flags_ = 0;
    qint32 opcode_ = 0;
    qint32 address_ = 0;
    bool halted_ = false;
    quint64 executedSteps_ = 0;
    QString faultMessage_;
    Changes changes_;
};

} // namespace machine
