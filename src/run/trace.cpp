#include "run/trace.h"

#include "machine/instructionset.h"

#include <algorithm>
#include <charconv>

namespace terminal
{

void TraceWriter::writeHeader()
{
    terminal.trace("step address word instruction accumulator flags");
}

// "step address word instruction accumulator flags", the instruction as its
// mnemonic followed by the operand address for those that take one. Built
// without Qt's strings: a long trace would spend most of its time allocating.
void TraceWriter::stepDone(const machine::Step &step)
{
    const auto appendNumber = [this](auto value) {
        char digits[24];
        const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
        line.append(digits, written.ptr);
    };
    line.clear();
    appendNumber(step.number);
    // The address as two digits, like the listing's: a step is fetched from a cell.
    line += ' ';
    line += char('0' + step.address / 10);
    line += char('0' + step.address % 10);
    line += ' ';
    // A cell holds a number; any other text is converted as a whole.
    if (std::all_of(step.word.cbegin(), step.word.cend(),
                    [](QChar c) { return c.unicode() < 0x80; })) {
        for (const QChar c : step.word)
            line += char(c.unicode());
    } else {
        line += step.word.toStdString();
    }
    line += ' ';
    const machine::Instruction *row = machine::instructionFor(step.opcode);
    if (row)
        line.append(row->mnemonic.data(), std::size_t(row->mnemonic.size()));
    else
        line += '?';
    if (row && row->operand == machine::Operand::Address) {
        line += ' ';
        appendNumber(step.operand);
    }
    line += ' ';
    appendNumber(step.accumulator);
    line += ' ';
    appendNumber(step.flags);
    terminal.trace(line);
}

} // namespace terminal
