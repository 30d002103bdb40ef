#pragma once

// Runs an assembled program with the terminal's streams: typed values come
// from standard input and output values go to standard output, messages to
// standard error as diagnostics, each about a line of the program starting
// with "NAME:LINE:COLUMN: ".

#include "machine/console.h"
#include "machine/processor.h"
#include "machine/runloop.h"
#include "program/exitstatus.h"
#include "program/program.h"
#include "replay/recorder.h"
#include "run/diagnosticprinter.h"
#include "run/terminalconsole.h"
#include "run/traceformat.h"

#include <QString>

namespace run
{

class Runner : private machine::Console
{
public:
    // Both must outlive the runner.
    Runner(const program::Program &program, TerminalConsole &terminal);

    // Writes each executed step to the terminal's trace, in the form given.
    void setTrace(bool on, TraceFormat format = TraceFormat::Text)
    {
        tracing = on;
        traceFormat = format;
    }
    // Warns on standard error of a typed value read only in part ("3.5" as 3).
    void setInputWarnings(bool on) { inputWarnings = on; }
    // How the errors that end a run and the notes on them are written.
    void setStyle(const PrintStyle &style) { printStyle = style; }
    // Tells the recorder of each step, and of each operand that is no number,
    // too; null for none. Not owned.
    void setRecorder(replay::Recorder *recorder) { recorder_ = recorder; }
    // Runs the program from address 0; maxSteps 0 means no limit.
    program::ExitStatus run(quint64 maxSteps);
    // How the last run ended, and the error and notes written about it (none after a halt).
    machine::RunEnd::Kind endKind() const { return endKind_; }
    const QList<diagnostics::Diagnostic> &endReport() const { return endReport_; }

    const machine::Processor &processor() const { return processor_; }

private:
    std::optional<QString> typedText(qint32 address) override;
    void inputAccepted(const QString &typed, qint32 value) override;
    void writeValue(qint32 value) override;
    void message(const QString &text) override;
    void operandReport(qint32 address, const QString &line) override;
    bool keepRunning(quint64 executedSteps) override;
    // The error that ended the run, then the notes on how it ended.
    void report(const QList<diagnostics::Diagnostic> &list);

    const program::Program &program;
    TerminalConsole &terminal;
    machine::Processor processor_;
    bool tracing = false;
    bool inputWarnings = true;
    TraceFormat traceFormat = TraceFormat::Text;
    PrintStyle printStyle;
    replay::Recorder *recorder_ = nullptr;
    machine::RunEnd::Kind endKind_ = machine::RunEnd::Halted;
    QList<diagnostics::Diagnostic> endReport_;
};

} // namespace run
