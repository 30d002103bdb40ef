#include "run/runner.h"

#include "machine/instructionset.h"

#include <algorithm>
#include <charconv>

using machine::Processor;

namespace terminal
{

namespace
{

// Output is written at least this often, so a long run shows it as it comes.
constexpr quint64 kStepsPerChunk = 1 << 16;

} // namespace

Runner::Runner(const Program &program, Console &console) : program(program), console(console)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor_.setWord(address, address < program.image.size() ? program.image[address]
                                                                   : QString(machine::kEmptyWord));
    processor_.setOperandReport([this](qint32 instructionAddress, const QString &line) {
        takeOutput(); // the output made before it comes first
        this->console.message(this->program.locationOf(instructionAddress) + line);
    });
}

Outcome Runner::run(quint64 maxSteps)
{
    if (tracing)
        console.trace("step address word instruction accumulator flags");
    Outcome outcome = runSteps(maxSteps);
    // Lost output outweighs how the run ended: the caller cannot trust the result.
    if (!console.flush())
        outcome.status = OutputFailed;
    return outcome;
}

Outcome Runner::runSteps(quint64 maxSteps)
{
    for (;;) {
        const Processor::Stop stop =
            runUntil(machine::nextPause(processor_.executedSteps(), kStepsPerChunk, maxSteps));
        takeOutput();

        switch (stop) {
        case Processor::Stop::Halted:
            return {};
        case Processor::Stop::NeedsInput: {
            // Whoever types the values sees all output before being asked.
            if (!console.flush())
                return {OutputFailed, {}};
            const std::optional<qint32> value = console.readValue();
            if (!value) {
                const qint32 address = processor_.pc() - 1;
                return fail(RunFailed,
                            program.locationOf(address) +
                                QStringLiteral("Error: standard input ended while the program was "
                                               "waiting for a value (%1 at address %2).")
                                    .arg(machine::mnemonicOf(machine::Input))
                                    .arg(address));
            }
            processor_.completeInput(*value);
            traceStep();
            break;
        }
        case Processor::Stop::Fault:
            return fail(RunFailed,
                        program.locationOf(processor_.faultAddress()) + processor_.faultMessage());
        case Processor::Stop::StepLimit:
            if (maxSteps != 0 && processor_.executedSteps() >= maxSteps)
                return fail(StepLimitReached,
                            QStringLiteral("Error: the program ran %1 steps without halting and "
                                           "was stopped (see --max-steps).")
                                .arg(processor_.executedSteps()));
            break;
        }
        if (!console.flush())
            return {OutputFailed, {}};
    }
}

// Runs like the processor does, but one step at a time while tracing, so that
// each step gets its line once it is done. The input step gets its line once
// the value is in, and a step that fails gets none.
Processor::Stop Runner::runUntil(quint64 stopAtStep)
{
    if (!tracing)
        return processor_.run(stopAtStep);
    for (;;) {
        if (processor_.executedSteps() >= stopAtStep)
            return Processor::Stop::StepLimit;
        fetchedAt = processor_.pc();
        fetchedWord = processor_.word(fetchedAt);
        const Processor::Stop stop = processor_.run(processor_.executedSteps() + 1);
        if (stop == Processor::Stop::NeedsInput || stop == Processor::Stop::Fault)
            return stop;
        takeOutput();
        traceStep();
        if (stop == Processor::Stop::Halted)
            return stop;
    }
}

Outcome Runner::fail(ExitStatus status, const QString &message)
{
    console.message(message);
    return {status, message};
}

void Runner::takeOutput()
{
    for (const qint32 value : processor_.takeChanges().output)
        console.writeValue(value);
}

// "step address word instruction accumulator flags", the instruction as its
// mnemonic followed by the operand address for those that take one. Built
// without Qt's strings: a long trace would spend most of its time allocating.
void Runner::traceStep()
{
    if (!tracing)
        return;
    const auto appendNumber = [this](auto value) {
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        traceLine.append(digits, written.ptr);
    };
    traceLine.clear();
    appendNumber(processor_.executedSteps());
    // The address as two digits, like the listing's: a step is fetched from a cell.
    traceLine += ' ';
    traceLine += char('0' + fetchedAt / 10);
    traceLine += char('0' + fetchedAt % 10);
    traceLine += ' ';
    // A cell holds a number; any other text is converted as a whole.
    if (std::all_of(fetchedWord.cbegin(), fetchedWord.cend(),
                    [](QChar c) { return c.unicode() < 0x80; })) {
        for (const QChar c : fetchedWord)
            traceLine += char(c.unicode());
    } else {
        traceLine += fetchedWord.toStdString();
    }
    traceLine += ' ';
    const machine::Instruction *row = machine::instructionFor(processor_.opcode());
    if (row)
        traceLine.append(row->mnemonic.data(), std::size_t(row->mnemonic.size()));
    else
        traceLine += '?';
    if (row && row->operand == machine::Operand::Address) {
        traceLine += ' ';
        appendNumber(processor_.address());
    }
    traceLine += ' ';
    appendNumber(processor_.accumulator());
    traceLine += ' ';
    appendNumber(processor_.flags());
    console.trace(traceLine);
}

} // namespace terminal
