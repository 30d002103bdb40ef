#pragma once

// Runs an assembled program with the terminal's streams: typed values come
// from standard input and output values go to standard output, messages to
// standard error with the same texts the window shows, each about a line of
// the program starting with "NAME:LINE: ".

#include "cpu/console.h"
#include "cpu/processor.h"
#include "program/program.h"
#include "run/exitstatus.h"
#include "run/terminalconsole.h"
#include "run/traceformat.h"

#include <QString>

namespace terminal
{

class Runner : private machine::Console
{
public:
    // Both must outlive the runner.
    Runner(const korvane::Program &program, TerminalConsole &terminal);

    // Writes each executed step to the terminal's trace, in the form given.
    void setTrace(bool on, TraceFormat format = TraceFormat::Text)
    {
        tracing = on;
        traceFormat = format;
    }
    // Warns on standard error of a typed value read only in part ("3.5" as 3).
    void setInputWarnings(bool on) { inputWarnings = on; }
    // Runs the program from address 0; maxSteps 0 means no limit.
    ExitStatus run(quint64 maxSteps);

    const machine::Processor &processor() const { return processor_; }

private:
    std::optional<QString> typedText(qint32 address) override;
    void inputAccepted(const QString &typed, qint32 value) override;
    void writeValue(qint32 value) override;
    void message(const QString &text) override;
    void operandReport(qint32 address, const QString &line) override;
    bool keepRunning(quint64 executedSteps) override;
    void note(const diagnostics::RunStop &stop);

    const korvane::Program &program;
    TerminalConsole &terminal;
    machine::Processor processor_;
    bool tracing = false;
    bool inputWarnings = true;
    TraceFormat traceFormat = TraceFormat::Text;
};

} // namespace terminal
