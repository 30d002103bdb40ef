#pragma once

// --trace-format json: one JSON object per line and step, for tools to read:
//   {"step":1,"line":1,"address":0,"word":"1201","opcode":12,"operand":1,
//    "accumulator":3,"flags":0,"effect":"input","input":3}
// "line" is null for a cell no line of the program assembled to, "effect" is
// null for a step that did nothing beyond its registers, and "cell" and
// "value" (a store), "input", "output" and "wrapped" appear only where they apply.

#include "run/trace.h"

#include <array>
#include <string>

namespace run
{

class JsonTraceWriter final : public TraceWriter
{
public:
    JsonTraceWriter(TerminalConsole &terminal, const program::Program &program);

    void stepDone(const machine::Step &step) override;

private:
    TerminalConsole &terminal;
    // `,"line":L,"address":A,"word":` for each cell, made once.
    std::array<std::string, machine::kMemorySize> lineAndAddress;
    std::string line; // kept, so that its storage serves every step
};

// The text as a JSON string, quotes and escapes included, in UTF-8.
void appendJsonString(std::string &line, const QString &text);

} // namespace run
