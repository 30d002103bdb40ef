#pragma once

// Runs a loaded processor to its end for any front end: the one loop that the
// window and korvane-run both drive.
//
// At an input instruction the loop asks the console for a typed text and
// takes it by the one rule for typed values: nothing typed asks again, a text
// without a number says "Invalid input." and asks again, a number completes
// the input. Every `stepsPerPause` steps it asks the console whether to keep
// running (the window asks the user; a terminal hands on its output), and at
// `stepLimit` steps it stops the run. Output values go to the console in
// order, always before whatever the console is told next.

#include "machine/console.h"
#include "machine/processor.h"

#include <QString>

#include <algorithm>

namespace machine
{

// A run this long without a halt is most likely a loop that never ends: the
// window asks whether to keep running, korvane-run stops unless told otherwise.
inline constexpr quint64 kLongRunSteps = 10'000'000;

// How a run ended.
struct RunEnd {
    enum Kind : quint8 {
        Halted,     // the halt instruction ran
        Fault,      // the run cannot go on: message, and address of the instruction or -1
        StepLimit,  // the step limit was reached: message
        InputEnded, // the console had no more typed text: address of the input instruction
        Stopped,    // the console answered that the run should not keep running
    };
    Kind kind = Halted;
    QString message; // the window's text
    qint32 address = -1;
    // Fault: the instruction of the last step that completed before it, or -1.
    qint32 previousAddress = -1;
    // StepLimit: the lowest and the highest address of the instructions run
    // in the last kRecentSteps steps, where the program was looping.
    qint32 lowestRecent = -1;
    qint32 highestRecent = -1;
    // Fault: why the step failed.
    machine::Fault fault{};
    // StepLimit: the steps run.
    quint64 steps = 0;

    // The fault that stopped the processor's run.
    static RunEnd faultOf(const Processor &processor);
};

// How many steps before a step limit are watched for RunEnd's recent addresses.
inline constexpr quint64 kRecentSteps = 1000;

// The watch on the last steps before a step limit, for where the run was:
// runs stop where it starts, and their steps are then observed.
class RecentSteps
{
public:
    // For a run that stops at `stepLimit` steps (0: none), nothing watched yet.
    void setLimit(quint64 stepLimit)
    {
        from = stepLimit == 0 ? kNoStepLimit : stepLimit - std::min(stepLimit, kRecentSteps);
        watching_ = false;
        lowest = highest = -1;
    }
    // Starts watching once `executed` steps reach the last ones; whether it watches.
    bool due(quint64 executed) { return watching_ = watching_ || executed >= from; }
    bool watching() const { return watching_; }
    // Where a stretch that would stop at `stopAt` stops instead, so that the watch starts in time.
    quint64 stopAt(quint64 stopAt) const { return watching_ ? stopAt : std::min(stopAt, from); }
    void saw(qint32 address)
    {
        lowest = lowest < 0 ? address : std::min(lowest, address);
        highest = std::max(highest, address);
    }
    // The end of a run stopped at the step limit after `steps` steps.
    RunEnd limitEnd(quint64 steps, const QString &message) const
    {
        RunEnd end{RunEnd::StepLimit, message, -1};
        end.steps = steps;
        end.lowestRecent = lowest;
        end.highestRecent = highest;
        return end;
    }

private:
    quint64 from = kNoStepLimit;
    bool watching_ = false;
    qint32 lowest = -1;
    qint32 highest = -1;
};

// Takes a typed text for the input instruction that stopped the processor's
// run, asking the console until one is a number: false once its input has ended.
bool readInput(Processor &processor, Console &console);

class RunLoop : private StepObserver
{
public:
    // stepsPerPause, stepLimit: 0 for none. The processor and the console
    // must outlive the loop.
    RunLoop(Processor &processor, Console &console, quint64 stepsPerPause, quint64 stepLimit);
    ~RunLoop() override;
    RunLoop(const RunLoop &) = delete;
    RunLoop &operator=(const RunLoop &) = delete;

    // Told of each completed step, after the step's output has gone to the
    // console; null for none (the fast path). Not owned.
    void setStepObserver(StepObserver *observer);

    RunEnd run();

    // How the message of a run stopped at its step limit names the limit,
    // so that it points at what set it: "--max-steps" unless told otherwise.
    void setStepLimitName(const QString &name) { stepLimitName = name; }

private:
    void handOnOutput();
    void observeSteps();
    void stepDone(const Step &step) override;

    Processor &processor;
    Console &console;
    const quint64 stepsPerPause;
    const quint64 stepLimit;
    QString stepLimitName = QStringLiteral("--max-steps");
    StepObserver *observer = nullptr;
    RecentSteps recent;
};

} // namespace machine
