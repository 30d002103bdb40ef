#pragma once

// One debug session on the machine, free of the protocol: the program as
// launched, the machine with its breakpoints and typed values, and runs that
// go forwards a step or a stretch of steps at a time, each ending in a stop
// that says why, by the run loop's rules.
//
// Between stops the machine always rests between two steps, so the whole of
// it can be kept as a MachineState and put back (an input instruction that
// waits for its value has not been fetched yet). A run keeps such states in
// its Timeline as it goes, which takes it backwards: a state passed before
// is found again by replaying from the nearest one kept.

#include "dap/breakpoints.h"
#include "dap/timeline.h"
#include "machine/console.h"
#include "machine/processor.h"
#include "machine/runloop.h"
#include "program/program.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dap
{

struct LaunchOptions {
    QString program; // a file
    bool stopOnEntry = false;
    QStringList input;                         // the texts typed, in order
    quint64 maxSteps = machine::kLongRunSteps; // 0: no limit
    bool noDebug = false;
};

// Why a run stopped.
struct Stop {
    enum Reason : quint8 {
        Entry,          // the session has just started
        Step,           // the step asked for is done
        Breakpoint,     // the next instruction stands at a breakpoint
        Pause,          // asked to pause
        Input,          // an input instruction waits for a value
        RunError,       // a step failed: message and notes
        StepLimit,      // the step limit was reached: message and notes
        Halted,         // the halt instruction ran
        Start,          // gone back to the start of the run
        DataBreakpoint, // the step just done stored into (or read) a watched cell
    };
    Reason reason = Step;
    QString description;
    QList<qint32> breakpointIds;
    QStringList notes; // RunError, StepLimit: korvane-run's notes after the message
};

// Why a program could not be launched: korvane-run's messages, one line
// each, and where the first error stands (line 0: nowhere in the text).
struct LaunchError {
    QStringList lines;
    diagnostics::Range at;
};

// Where a stretch of a run starts: from a reported stop, whose breakpoint
// has been seen (its instruction runs first), or onwards from elsewhere,
// where a breakpoint stops the run at once.
enum class Resume : quint8 { FromStop, Onwards };

// A line for the debug console, in the order the run made them.
struct ConsoleLine {
    enum Kind : quint8 { Output, Message, Log };
    Kind kind = Output;
    QString text;
};

class Session : private machine::StepObserver, private machine::Console
{
public:
    // `spacing` and `capacity`: the checkpoints of the timeline.
    explicit Session(quint64 spacing = Timeline::kDefaultSpacing,
                     std::size_t capacity = Timeline::kDefaultCapacity);
    ~Session() override;
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // Reads and assembles the program and loads it. On failure returns false
    // with why, and the session keeps what it had. Warnings go to the console
    // lines.
    // Launched again, with the same options or others, it keeps its breakpoints.
    bool launch(const LaunchOptions &options, LaunchError &error);
    bool launched() const { return launched_; }

    const program::Program &program() const { return program_; }
    const LaunchOptions &options() const { return options_; }
    Breakpoints &breakpoints() { return breakpoints_; }
    // Where the run has been, and the moves back through it and changes to it.
    Timeline &timeline() { return timeline_; }
    const Timeline &timeline() const { return timeline_; }

    // One instruction forwards; lastStep() then tells what it did.
    Stop step();
    // The last step that step() completed, or none when it completed none.
    const std::optional<machine::Step> &lastStep() const { return lastStep_; }
    // Runs until a stop, or returns none after about `steps` steps so that
    // the caller can look for a pause in between.
    std::optional<Stop> runFor(quint64 steps, Resume resume);
    // The halt instruction has run: the run cannot go further.
    bool halted() const { return processor_.halted(); }

    // The input instruction is waiting for a value.
    bool waitingForInput() const { return waiting; }
    // Values typed in the console while an input waits, separated by white
    // space, each taken by korvane-run's rule; the input instruction then
    // runs as step() runs it (a stop for input again when none was a number).
    Stop type(const QString &text);

    std::vector<ConsoleLine> takeConsoleLines();

    // The machine as it is now.
    MachineState state() const;
    // Puts back a state this session's program was in: the run goes on from
    // there as it went then, with the values typed after it taken again.
    void restore(const MachineState &state);
    const machine::Processor &processor() const { return processor_; }

private:
    friend class Timeline; // replays the run and changes its past

    void stepDone(const machine::Step &step) override;
    // The run loop's console: the values typed, and what a run tells.
    std::optional<QString> typedText(qint32 address) override;
    void writeValue(qint32 value) override;
    void message(const QString &text) override;
    void operandReport(qint32 address, const QString &line) override;
    bool load(LaunchError &error);
    std::optional<Stop> runStretch(quint64 steps, Resume resume);
    void observe();
    void watchRecentIfDue();
    void passStepLimit();
    bool takeInput();
    Stop inputStop() const;
    Stop stepLimitStop();
    Stop faultStop();
    Stop stopOf(const machine::RunEnd &end);
    std::optional<Stop> stopAfter(machine::Processor::Stop stop);
    void collectOutput();
    void tell(const QString &text);
    // Where the word at `address` stands: "line 4", or "address 17" when no line made it.
    QString placeOf(qint32 address) const;
    bool newStep() const { return processor_.executedSteps() > timeline_.furthest(); }
    bool recording() const { return !options_.noDebug; }
    std::optional<Stop> watchedStep();
    QList<qint32> breakpointsHit();
    QStringList dataWords() const;
    std::optional<Stop> dataStop(const QStringList &before);

    LaunchOptions options_;
    program::Program program_;
    machine::Processor processor_;
    Breakpoints breakpoints_;
    bool launched_ = false;
    bool waiting = false;
    QStringList typed; // values typed, in order: the launch input, then the console
    qsizetype inputTaken = 0;
    quint64 outputCount = 0;
    quint64 stepLimitAt = 0; // 0: none
    bool atStepLimit = false;
    bool capturing = false; // step() keeps the step it runs
    std::optional<machine::Step> lastStep_;
    machine::RecentSteps recent;
    std::vector<ConsoleLine> console;
    quint64 outputsSent = 0;  // output values sent: those replayed are not sent again
    bool hitsCounted = false; // breakpoint hits counted up to hitsCountedTo steps
    quint64 hitsCountedTo = 0;
    Timeline timeline_;
};

} // namespace dap
