#include "run/runner.h"

#include "diagnostics/runerror.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"
#include "machine/runloop.h"
#include "machine/typedinput.h"
#include "program/filename.h"
#include "run/trace.h"

namespace run
{

namespace
{

// Output is written at least this often, so a long run shows it as it comes.
constexpr quint64 kStepsPerChunk = 1 << 16;

} // namespace

Runner::Runner(const program::Program &program, TerminalConsole &terminal)
    : program(program), terminal(terminal)
{
    program::loadImage(program, processor_);
}

program::ExitStatus Runner::run(quint64 maxSteps)
{
    machine::RunLoop loop(processor_, *this, kStepsPerChunk, maxSteps);
    std::unique_ptr<TraceWriter> trace;
    if (tracing) {
        trace = makeTraceWriter(traceFormat, terminal, program, maxSteps);
        trace->start();
        loop.setStepObserver(trace.get());
    }
    if (recorder_) {
        recorder_->setNext(trace.get());
        loop.setStepObserver(recorder_);
    }
    const machine::RunEnd end = loop.run();
    endKind_ = end.kind;

    program::ExitStatus status = program::Success;
    switch (end.kind) {
    case machine::RunEnd::Halted:
        break;
    case machine::RunEnd::Fault:
    case machine::RunEnd::StepLimit:
        report(program.runEnd(end, maxSteps));
        status =
            end.kind == machine::RunEnd::Fault ? program::RunFailed : program::StepLimitReached;
        break;
    case machine::RunEnd::InputEnded:
        // The input is not read once the output has failed.
        if (!terminal.flush())
            return program::OutputFailed;
        report({program.runError(end.address, diagnostics::Code::InputEnded,
                                 QStringLiteral("standard input ended while the program was "
                                                "waiting for a value (%1 at address %2)")
                                     .arg(machine::mnemonicOf(machine::Input))
                                     .arg(program::addressText(end.address)))});
        status = program::RunFailed;
        break;
    case machine::RunEnd::Stopped:
        // A terminal run stops early only when its output cannot be written.
        return program::OutputFailed;
    }
    // Lost output outweighs how the run ended: the caller cannot trust the result.
    return terminal.flush() ? status : program::OutputFailed;
}

void Runner::report(const QList<diagnostics::Diagnostic> &list)
{
    endReport_ = list;
    terminal.message(printed(program, list, printStyle));
}

// Whoever types the values sees all output before being asked, and at a
// terminal a prompt that names the input instruction: "INP at 00 (line 1)? ".
std::optional<QString> Runner::typedText(qint32 address)
{
    if (!terminal.flush())
        return std::nullopt;
    QString prompt = QString(machine::mnemonicOf(machine::Input)) + QLatin1String(" at ") +
                     program::addressText(address);
    if (const qint32 line = program.lineNumberOf(address); line > 0)
        prompt += QStringLiteral(" (line %1)").arg(line);
    return terminal.readValue((prompt + QLatin1String("? ")).toStdString());
}

// The window's rule reads the leading number of a typed value and ignores the
// rest; at a terminal, where nobody sees the accumulator, that is said. The
// value is quoted as file names are: a control character, which could move
// the cursor or change the terminal's colours, as \xNN.
void Runner::inputAccepted(const QString &typed, qint32 value)
{
    if (inputWarnings && machine::readTypedInput(typed).readInPart)
        terminal.message(QStringLiteral("korvane-run: warning: input '%1' read as %2")
                             .arg(program::shownName(typed))
                             .arg(value));
}

void Runner::writeValue(qint32 value)
{
    terminal.writeValue(value);
}

void Runner::message(const QString &text)
{
    terminal.message(text);
}

void Runner::operandReport(qint32 address, const QString &line)
{
    if (recorder_)
        recorder_->operandReported(line);
    // In plain words when the program text is known; the recording keeps the window's.
    const machine::Decoded decoded = machine::decodeWord(processor_.word(address));
    if (!program.source || !decoded.ok() || !machine::isAddress(decoded.address)) {
        terminal.message(program.locationOf(address) + line);
        return;
    }
    terminal.message(program.locationOf(address) +
                     diagnostics::operandText(*program.source, address,
                                              machine::mnemonicOf(decoded.opcode), decoded.address,
                                              processor_.word(decoded.address)) +
                     QLatin1Char('\n'));
}

// Each stretch of steps hands on its output.
bool Runner::keepRunning(quint64)
{
    return terminal.flush();
}

} // namespace run
