#pragma once

// What a run needs from the outside world, and what it hands back: the port
// through which the run loop talks to a front end (the window, a terminal,
// one case of a test).

#include <QString>
#include <QtGlobal>

#include <optional>

namespace machine
{

class Console
{
public:
    virtual ~Console() = default;

    // The text typed for the input instruction at `address`, or none once
    // the input has ended. The run loop decides what the text means.
    virtual std::optional<QString> typedText(qint32 address) = 0;
    // The typed text was taken as the number `value`; the input step
    // completes right after.
    virtual void inputAccepted(const QString &typed, qint32 value)
    {
        Q_UNUSED(typed);
        Q_UNUSED(value);
    }
    // An output value; values come in the order the program puts them out.
    virtual void writeValue(qint32 value) = 0;
    // A message while the run goes on, e.g. "Invalid input.".
    virtual void message(const QString &text) = 0;
    // The instruction at `address` has an operand that is not a number; the
    // run goes on. `line` is the report, ending in a line feed.
    virtual void operandReport(qint32 address, const QString &line) = 0;
    // Asked each time the run has taken the steps it was given for a stretch,
    // by `executedSteps` in all: false ends the run there.
    virtual bool keepRunning(quint64 executedSteps)
    {
        Q_UNUSED(executedSteps);
        return true;
    }
};

} // namespace machine
