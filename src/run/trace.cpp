#include "run/trace.h"

#include "machine/instructionset.h"
#include "program/stepeffect.h"
#include "run/jsontrace.h"
#include "run/tracetext.h"

#include <algorithm>
#include <string_view>

namespace run
{

namespace
{

// Every word a cell can hold fits: the assembler and a store write at most a
// 32-bit number, eleven characters with its sign.
constexpr std::size_t kWordWidth = 11;
constexpr std::size_t kAccumulatorWidth = 11; // "accumulator", and -2147483648
constexpr std::string_view kInstruction = "instruction";
constexpr std::string_view kLine = "line";
constexpr std::string_view kAddress = "address";
// "BRZ 05 " before the label.
constexpr std::size_t kInstructionWithoutLabel = 7;

std::size_t digitsOf(quint64 value)
{
    std::size_t digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

} // namespace

std::unique_ptr<TraceWriter> makeTraceWriter(TraceFormat format, TerminalConsole &terminal,
                                             const program::Program &program, quint64 maxSteps)
{
    if (format == TraceFormat::Json)
        return std::make_unique<JsonTraceWriter>(terminal, program);
    return std::make_unique<TextTraceWriter>(terminal, program, maxSteps);
}

TextTraceWriter::TextTraceWriter(TerminalConsole &terminal, const program::Program &program,
                                 quint64 maxSteps)
    : terminal(terminal),
      // Ten digits when there is no limit: a trace of that many steps takes hours.
      stepWidth(std::max<std::size_t>(4, maxSteps != 0 ? digitsOf(maxSteps) : 10)),
      lineWidth(kLine.size()), instructionWidth(kInstruction.size())
{
    for (const QString &label : program.labels) {
        labels.push_back(label.toStdString());
        instructionWidth =
            std::max(instructionWidth, kInstructionWithoutLabel + std::size_t(label.size()));
    }
    for (qint32 address = 0; address < machine::kMemorySize; ++address)
        lineWidth = std::max(lineWidth, digitsOf(quint64(program.lineNumberOf(address))));
    // A cell that no line of the program assembled to has no line: "-".
    for (qint32 address = 0; address < machine::kMemorySize; ++address) {
        std::string &columns = lineAndAddress[std::size_t(address)];
        if (const qint32 sourceLine = program.lineNumberOf(address); sourceLine > 0)
            appendNumber(columns, sourceLine, lineWidth);
        else
            columns.append(lineWidth - 1, ' ').append(1, '-');
        columns += ' ';
        const std::size_t start = columns.size();
        appendTwoDigits(columns, address);
        pad(columns, start, kAddress.size());
        columns += ' ';
    }
}

void TextTraceWriter::start()
{
    line.clear();
    line.append(stepWidth - 4, ' ');
    line += "step ";
    line.append(lineWidth - kLine.size(), ' ');
    line += kLine;
    line += ' ';
    line += kAddress;
    line += ' ';
    std::size_t start = line.size();
    line += "word";
    pad(line, start, kWordWidth);
    line += ' ';
    start = line.size();
    line += kInstruction;
    pad(line, start, instructionWidth);
    line += " accumulator flags effect";
    terminal.trace(line);
}

void TextTraceWriter::stepDone(const machine::Step &step)
{
    line.clear();
    appendNumber(line, step.number, stepWidth);
    line += ' ';
    // The processor fetches only from cells of the memory.
    line += lineAndAddress[std::size_t(step.address)];

    // A cell holds a number; any other text is converted as a whole.
    std::size_t start = line.size();
    if (isAscii(step.word)) {
        for (const QChar c : step.word)
            line += char(c.unicode());
    } else {
        line += step.word.toStdString();
    }
    pad(line, start, kWordWidth);
    line += ' ';

    start = line.size();
    const machine::Instruction *row = machine::instructionFor(step.opcode);
    if (row)
        line.append(row->mnemonic.data(), std::size_t(row->mnemonic.size()));
    else
        line += '?';
    if (row && row->operand == machine::Operand::Address) {
        line += ' ';
        appendTwoDigits(line, step.operand);
        if (step.operand >= 0 && std::size_t(step.operand) < labels.size() &&
            !labels[std::size_t(step.operand)].empty()) {
            line += ' ';
            line += labels[std::size_t(step.operand)];
        }
    }
    pad(line, start, instructionWidth);
    line += ' ';
    appendNumber(line, step.accumulator, kAccumulatorWidth);
    line += ' ';
    appendNumber(line, step.flags, 5); // "flags"

    program::appendEffect(line, step);
    terminal.trace(line);
}

} // namespace run
