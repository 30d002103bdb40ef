#include "run/trace.h"

#include "machine/instructionset.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace terminal
{

namespace
{

// Every word a cell can hold fits: the assembler and a store write at most a
// 32-bit number, eleven characters with its sign.
constexpr std::size_t kWordWidth = 11;
constexpr std::size_t kAccumulatorWidth = 11; // "accumulator", and -2147483648
constexpr std::string_view kInstruction = "instruction";
// "BRZ 05 " before the label.
constexpr std::size_t kInstructionWithoutLabel = 7;

std::size_t digitsOf(quint64 value)
{
    std::size_t digits = 1;
    for (; value >= 10; value /= 10)
        ++digits;
    return digits;
}

void appendTwoDigits(std::string &line, qint32 value)
{
    if (value >= 0 && value < 10)
        line += '0';
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    line.append(digits, written.ptr);
}

} // namespace

TraceWriter::TraceWriter(TerminalConsole &terminal, const korvane::Program &program,
                         quint64 maxSteps)
    : terminal(terminal),
      // Ten digits when there is no limit: a trace of that many steps takes hours.
      stepWidth(std::max<std::size_t>(4, maxSteps != 0 ? digitsOf(maxSteps) : 10)),
      instructionWidth(kInstruction.size())
{
    for (const QString &label : program.labels) {
        labels.push_back(label.toStdString());
        instructionWidth =
            std::max(instructionWidth, kInstructionWithoutLabel + std::size_t(label.size()));
    }
}

void TraceWriter::pad(std::size_t from, std::size_t width)
{
    if (line.size() < from + width)
        line.append(from + width - line.size(), ' ');
}

// Right-aligned in its column.
template <typename Number>
void TraceWriter::appendNumber(Number value, std::size_t width)
{
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    const auto size = std::size_t(written.ptr - digits);
    if (size < width)
        line.append(width - size, ' ');
    line.append(digits, written.ptr);
}

void TraceWriter::writeHeader()
{
    line.clear();
    line.append(stepWidth - 4, ' ');
    line += "step address ";
    std::size_t start = line.size();
    line += "word";
    pad(start, kWordWidth);
    line += ' ';
    start = line.size();
    line += kInstruction;
    pad(start, instructionWidth);
    line += " accumulator flags effect";
    terminal.trace(line);
}

// Built without Qt's strings: a long trace would spend most of its time allocating.
void TraceWriter::stepDone(const machine::Step &step)
{
    line.clear();
    appendNumber(step.number, stepWidth);
    line += ' ';
    std::size_t start = line.size();
    appendTwoDigits(line, step.address);
    pad(start, 7); // "address"
    line += ' ';

    // A cell holds a number; any other text is converted as a whole.
    start = line.size();
    if (std::all_of(step.word.cbegin(), step.word.cend(),
                    [](QChar c) { return c.unicode() < 0x80; })) {
        for (const QChar c : step.word)
            line += char(c.unicode());
    } else {
        line += step.word.toStdString();
    }
    pad(start, kWordWidth);
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
    pad(start, instructionWidth);
    line += ' ';
    appendNumber(step.accumulator, kAccumulatorWidth);
    line += ' ';
    appendNumber(step.flags, 5); // "flags"

    switch (step.effect) {
    case machine::Step::Effect::None:
        break;
    case machine::Step::Effect::Stored:
        line += " [";
        appendTwoDigits(line, step.value);
        line += "] = ";
        appendNumber(step.accumulator, 0);
        break;
    case machine::Step::Effect::Branched:
        line += " jump to ";
        appendTwoDigits(line, step.value);
        break;
    case machine::Step::Effect::Input:
        line += " in ";
        appendNumber(step.value, 0);
        break;
    case machine::Step::Effect::Output:
        line += " out ";
        appendNumber(step.value, 0);
        break;
    case machine::Step::Effect::FlagsSet:
        line += " flags = ";
        appendNumber(step.value, 0);
        break;
    }
    terminal.trace(line);
}

} // namespace terminal
