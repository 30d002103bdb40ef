#pragma once

// The simulated processor, free of any user interface.
//
// It holds the 100 memory words and the registers and runs fetch, decode and
// execute until something needs the outside world: a halt, an input
// instruction waiting for a value, a fault that ends the run, or the step
// count the caller asked to stop at. An operand that is not a number ends
// nothing: the processor reports it and goes on. Front ends (the window, the
// terminal runner) drive it and show what it reports; they never interpret
// instructions themselves.
//
// Decoded words and operand values are cached per cell and dropped when a
// store changes the cell, so a loop decodes each word once, not once per step.
//
// A step observer, when one is set, is told of every completed step; a run
// without one takes a copy of the step loop that has no observing in it.

#include "machine/fault.h"
#include "machine/instructionword.h"
#include "machine/word.h"

#include <QString>

#include <array>
#include <bitset>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace machine
{

inline constexpr quint64 kNoStepLimit = std::numeric_limits<quint64>::max();

// The step count at which a run pauses next: at the next multiple of `every`
// after `executed` (a question to the user, a chunk of output), but no later
// than `limit`. An `every` or `limit` of 0 means none.
constexpr quint64 nextPause(quint64 executed, quint64 every, quint64 limit)
{
    quint64 pause = kNoStepLimit;
    if (every != 0 && executed / every < kNoStepLimit / every)
        pause = (executed / every + 1) * every;
    return limit != 0 && limit < pause ? limit : pause;
}

// One completed step, as a step observer is told of it.
struct Step {
    // What the step did beyond the registers: at most one of these.
    enum class Effect : quint8 {
        None,
        Stored,   // value: the cell stored into (it now holds the accumulator)
        Branched, // value: the address jumped to (a branch whose condition held)
        NotTaken, // value: the address not jumped to (a branch whose condition failed)
        Input,    // value: the number read
        Output,   // value: the number put out
        FlagsSet, // value: the flags (a division by zero)
    };
    quint64 number = 0;     // steps executed so far, this one included
    qint32 address = 0;     // where the word was fetched from
    QString word;           // the word as it was fetched
    qint32 opcode = 0;      // the word decoded: operation code
    qint32 operand = 0;     // and address part
    qint32 accumulator = 0; // after the step
    qint32 flags = 0;       // after the step
    Effect effect = Effect::None;
    qint32 value = 0;
    bool wrapped = false; // an arithmetic result that wrapped around 32 bits
};

class StepObserver
{
public:
    virtual ~StepObserver() = default;
    // Called once a step has completed; a step that fails is not reported.
    virtual void stepDone(const Step &step) = 0;
};

class Processor
{
public:
    enum class Stop : quint8 {
        Halted,     // the halt instruction ran
        NeedsInput, // the input instruction waits: completeInput() with the value, then run()
        Fault,      // the run cannot go on; faultMessage() tells why
        StepLimit,  // executedSteps() reached the requested count
        Breakpoint, // the program counter names a cell of the breakpoints given to run()
        Access,     // the next instruction reads or writes a cell of the Watched given to run()
    };

    // Cells at which a run stops before fetching: a debugger's breakpoints.
    using Breakpoints = std::bitset<kMemorySize>;

    // Cells whose use stops a run before the instruction that would use them:
    // a debugger's data breakpoints. Only the store writes a cell; only the
    // load, the arithmetic and the store read or write one.
    struct Watched {
        Breakpoints reads;  // stops before a load, arithmetic or store naming the cell
        Breakpoints writes; // stops before a store naming the cell
        bool any() const { return reads.any() || writes.any(); }
    };

    // The registers and the step count: with the memory's words, all a run
    // depends on, so that a debugger can keep and restore the whole machine.
    struct Registers {
        qint32 pc = 0;
        qint32 accumulator = 0;
        qint32 flags = 0;
        qint32 opcode = 0;
        qint32 address = 0;
        quint64 executedSteps = 0;
        bool halted = false;

        bool operator==(const Registers &) const = default;
    };

    // What a display has to show since it last took the changes. The program
    // counter, opcode and address labels show the current register values
    // once their flag is set; the accumulator label shows the accumulator
    // (after an input the window shows the typed text, which only it knows).
    struct Changes {
        bool pc = false;
        bool decoded = false;
        bool accumulator = false;
        bool flags = false;
        // A step completed: the current cell moves to the cell the program
        // counter names then, or to none when it names no cell of the memory.
        bool stepCompleted = false;
        std::optional<qint32> currentCell;
        std::bitset<kMemorySize> storedCells;
        std::vector<qint32> output; // output values in order
    };

    // Told, while the run goes on, of an instruction whose operand is not a
    // number: the address of the instruction and the line that reports it.
    using OperandReport = std::function<void(qint32 instructionAddress, const QString &line)>;

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

    // Runs until a stop; StepLimit once executedSteps() has reached stopAtStep,
    // Breakpoint before fetching from a cell set in breakAt (none when null),
    // Access before running an instruction that uses a cell set in watched;
    // both also when the run starts there.
    Stop run(quint64 stopAtStep = kNoStepLimit, const Breakpoints *breakAt = nullptr,
             const Watched *watched = nullptr);

    Registers registers() const;
    // Sets every register; a run goes on from there. An input that waited
    // for its value is dropped: the next run fetches its instruction afresh.
    void setRegisters(const Registers &registers);
    // Finishes the input instruction that stopped the run with NeedsInput.
    void completeInput(qint32 value);

    void setOperandReport(OperandReport report) { operandReport_ = std::move(report); }
    // Told of every completed step from now on; null for none. Not owned.
    void setStepObserver(StepObserver *observer) { observer_ = observer; }

    // Why the last step failed, and the window's text of it.
    const Fault &fault() const { return fault_; }
    QString faultMessage() const { return message(fault_); }
    // Address of the instruction whose step failed, or -1 when the failure
    // belongs to no instruction (a program counter outside the memory).
    qint32 faultAddress() const { return faultAddress_; }
    // Address of the instruction of the last step that completed, or -1.
    qint32 lastStepAddress() const { return lastStepAddress_; }

    // The changes since the last call.
    Changes takeChanges();
    // The output values since they were last taken, leaving the other changes
    // for takeChanges(); safe to call from the operand report and the observer.
    std::vector<qint32> takeOutput() { return std::exchange(changes_.output, {}); }

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

    enum class Outcome : quint8 { Continue, Halted, NeedsInput, Fault };

    template <bool Observed, bool Breaking>
    Stop runSteps(quint64 stopAtStep, const Breakpoints *breakAt, const Watched *watched);
    bool uses(const Cell &cell, const Watched &watched);
    void tellObserver();

    Cell &cell(qint32 address) { return cells_[static_cast<size_t>(address)]; }
    const QString &text(Cell &cell);
    void decodeCell(Cell &cell);
    const Cell *operand(); // null after a fault
    Outcome execute();
    Outcome arithmetic(qint32 (*operation)(qint32, qint32));
    Outcome fault(Fault fault);
    Outcome addressFault();
    void reportOperand();
    bool jumps(qint32 opcode) const;
    void branchIf(qint32 branch);

    std::array<Cell, kMemorySize> cells_;
    qint32 pc_ = 0;
    qint32 accumulator_ = 0;
    qint32 flags_ = 0;
    qint32 opcode_ = 0;
    qint32 address_ = 0;
    bool halted_ = false;
    quint64 executedSteps_ = 0;
    Fault fault_;
    qint32 faultAddress_ = -1;
    qint32 pcAfterStep_ = 0;
    qint32 lastStepAddress_ = -1;
    OperandReport operandReport_;
    Changes changes_;
    StepObserver *observer_ = nullptr;
    Step step_;                    // the step being observed
    qint32 accumulatorBefore_ = 0; // of the step being observed
    bool inputObserved = false;    // step_ is an input step waiting for its value
};

} // namespace machine
