#pragma once

// --trace: a line on the terminal for each executed step.

#include "cpu/processor.h"
#include "run/terminalconsole.h"

#include <string>

namespace terminal
{

class TraceWriter final : public machine::StepObserver
{
public:
    explicit TraceWriter(TerminalConsole &terminal) : terminal(terminal) {}

    // The line that names the columns, written before the run starts.
    void writeHeader();
    void stepDone(const machine::Step &step) override;

private:
    TerminalConsole &terminal;
    std::string line; // kept, so that its storage serves every step
};

} // namespace terminal
