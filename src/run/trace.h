#pragma once

// --trace: a line on the terminal for each executed step, in columns under a
// header: step, address, word, instruction (with the label that names its
// operand), accumulator, flags, and what the step did.

#include "cpu/processor.h"
#include "program/program.h"
#include "run/terminalconsole.h"

#include <string>
#include <vector>

namespace terminal
{

class TraceWriter final : public machine::StepObserver
{
public:
    // maxSteps (0 for no limit) sets the width of the step column.
    TraceWriter(TerminalConsole &terminal, const korvane::Program &program, quint64 maxSteps);

    // The line that names the columns, written before the run starts.
    void writeHeader();
    void stepDone(const machine::Step &step) override;

private:
    void pad(std::size_t from, std::size_t width);
    template <typename Number>
    void appendNumber(Number value, std::size_t width);

    TerminalConsole &terminal;
    std::vector<std::string> labels; // the label of each line of the program, as written
    std::size_t stepWidth;
    std::size_t instructionWidth;
    std::string line; // kept, so that its storage serves every step
};

} // namespace terminal
