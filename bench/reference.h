#pragma once

// The plainest fast interpreter of the machine, used only as the yardstick of
// the benchmarks: memory is 100 integers, each step is one switch, there is no
// text, no cache, no display and no step limit.
//
// A cell is an integer, read as a number by the instructions and decoded as
// an instruction when the program counter reaches it: 1201 is INP, 1202 is
// OUT, any other w from 0 to 1199 is operation code w / 100 with address
// w % 100; anything else (negative, 1200, 1203 or more) stops the run as a
// fault. The loader turns the text words into this form beforehand.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace reference
{

struct Result {
    enum Stop : std::uint8_t { Halted, NeedsInput, Fault } stop = Fault;
    std::int32_t accumulator = 0;
    std::int32_t pc = 0;
    std::uint64_t steps = 0;
};

using Memory = std::array<std::int32_t, 100>;

// Runs from address 0 with the accumulator and flags at 0. INP takes the next
// value of `inputs` (NeedsInput when they are used up); OUT appends to `output`.
// `memory` receives every store.
Result run(Memory &memory, std::span<const std::int32_t> inputs, std::vector<std::int32_t> &output);

} // namespace reference
