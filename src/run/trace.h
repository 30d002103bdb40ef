#pragma once

// --trace: a line on the terminal for each executed step. TraceWriter is
// what both forms share; makeTraceWriter() gives the one asked for.

#include "machine/processor.h"
#include "program/program.h"
#include "run/terminalconsole.h"
#include "run/traceformat.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace run
{

class TraceWriter : public machine::StepObserver
{
public:
    // Written before the run starts: the header of the columns, or nothing.
    virtual void start() {}
};

// maxSteps (0 for no limit) sets the width of the text trace's step column.
std::unique_ptr<TraceWriter> makeTraceWriter(TraceFormat format, TerminalConsole &terminal,
                                             const program::Program &program, quint64 maxSteps);

// The text trace: columns under a header line for step, source line, address,
// word, instruction (with the label that names its operand), accumulator,
// flags, and what the step did.
class TextTraceWriter final : public TraceWriter
{
public:
    TextTraceWriter(TerminalConsole &terminal, const program::Program &program, quint64 maxSteps);

    void start() override;
    void stepDone(const machine::Step &step) override;

private:
    TerminalConsole &terminal;
    std::vector<std::string> labels; // the label of each line of the program, as written
    // The line column and the address column of each cell, padded to their widths.
    std::array<std::string, machine::kMemorySize> lineAndAddress;
    std::size_t stepWidth;
    std::size_t lineWidth;
    std::size_t instructionWidth;
    std::string line; // kept, so that its storage serves every step
};

} // namespace run
