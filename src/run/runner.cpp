#include "run/runner.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "machine/typedinput.h"

#include <charconv>
#include <istream>
#include <ostream>

using machine::Processor;

namespace terminal
{

namespace
{

// Output is written at least this often, so a long run shows it as it comes.
constexpr quint64 kStepsPerChunk = 1 << 16;
// Pending output is written once it grows past this size.
constexpr std::size_t kOutputBufferSize = 1 << 16;

} // namespace

Runner::Runner(std::istream &input, std::ostream &output, std::ostream &errors)
    : input(input), output(output), errors(errors)
{
}

bool Runner::load(const QString &source)
{
    try {
        Assembler assembler(Assembler::kDefaultSymbolCapacity);
        image = splitText(assembler.assemble(source), QStringLiteral("\n"));
    } catch (const QString &message) {
        report(message);
        return false;
    }
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address,
                          address < image.size() ? image[address] : QString(machine::kEmptyWord));
    loaded_ = true;
    return true;
}

ExitStatus Runner::printImage()
{
    for (const QString &word : image) {
        pending += word.toStdString();
        pending += '\n';
    }
    return writeOutput() ? Halted : OutputFailed;
}

ExitStatus Runner::run(quint64 maxSteps)
{
    const ExitStatus status = runSteps(maxSteps);
    // Lost output outweighs how the run ended: the caller cannot trust the result.
    return writeOutput() ? status : OutputFailed;
}

ExitStatus Runner::runSteps(quint64 maxSteps)
{
    const quint64 limit = maxSteps ? maxSteps : Processor::kNoStepLimit;
    for (;;) {
        // The processor never runs past the step it was asked to stop at.
        const quint64 done = processor.executedSteps();
        const quint64 stopAt = limit - done > kStepsPerChunk ? done + kStepsPerChunk : limit;
        const Processor::Stop stop = processor.run(stopAt);
        takeOutput();

        switch (stop) {
        case Processor::Stop::Halted:
            return Halted;
        case Processor::Stop::NeedsInput:
            // Whoever types the values sees all output before being asked.
            if (!writeOutput())
                return OutputFailed;
            if (!readInput()) {
                report(QStringLiteral("Error: standard input ended while the program was waiting "
                                      "for a value (INP at address %1).")
                           .arg(processor.pc() - 1));
                return RunFailed;
            }
            break;
        case Processor::Stop::OperandNotNumber:
            report(processor.operandErrorLine());
            break;
        case Processor::Stop::Fault:
            report(processor.faultMessage());
            return RunFailed;
        case Processor::Stop::StepLimit:
            if (processor.executedSteps() >= limit) {
                report(QStringLiteral("Error: the program ran %1 steps without halting and was "
                                      "stopped (see --max-steps).")
                           .arg(processor.executedSteps()));
                return StepLimitReached;
            }
            break;
        }
        if (!writeOutput())
            return OutputFailed;
    }
}

void Runner::printMemory()
{
    std::string lines;
    for (int address = 0; address < machine::kMemorySize; ++address) {
        lines += processor.word(address).toStdString();
        lines += machine::columnOf(address) == machine::kMemoryColumns - 1 ? '\n' : ' ';
    }
    output.flush();
    errors << lines << std::flush;
}

// Reads lines until one holds a number, the way the input dialog asks until
// it gets one. Returns false when the input ends first.
bool Runner::readInput()
{
    std::string line;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const machine::TypedInput typed = machine::readTypedInput(QString::fromStdString(line));
        switch (typed.kind) {
        case machine::TypedInput::Empty:
            continue;
        case machine::TypedInput::Invalid:
            report(machine::kInvalidInputMessage);
            continue;
        case machine::TypedInput::Accepted:
            processor.completeInput(typed.value);
            return true;
        }
    }
    return false;
}

void Runner::takeOutput()
{
    for (const qint32 value : processor.takeChanges().output) {
        char digits[16];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        pending.append(digits, written.ptr);
        pending += '\n';
        if (pending.size() >= kOutputBufferSize)
            writeOutput(); // a failure is seen by the caller's next write
    }
}

// Writes the pending lines; false once the output stream has failed, which
// is reported the first time.
bool Runner::writeOutput()
{
    if (outputFailed)
        return false;
    if (!pending.empty()) {
        output.write(pending.data(), std::streamsize(pending.size()));
        pending.clear();
        output.flush();
    }
    if (output)
        return true;
    outputFailed = true;
    errors << "Error: cannot write to standard output." << std::endl;
    return false;
}

// A message in its own line on the error stream, after all output so far.
void Runner::report(const QString &message)
{
    writeOutput();
    errors << message.toStdString();
    if (!message.endsWith(QLatin1Char('\n')))
        errors << '\n';
    errors << std::flush;
}

} // namespace terminal
