#pragma once

// What a completed step did beyond its registers, in the words of the text
// trace's effect column: "[05] = 3" (a store), "jump to 05", "not taken",
// "in 3", "out 3", "flags = 1", then "wrapped" when an arithmetic result
// wrapped around 32 bits. A replay page explains each step with them too.

#include "machine/processor.h"

#include <charconv>
#include <iterator>
#include <string>

namespace program
{

// The number, right-aligned in a column of `width` characters (0: as long as
// it is), appended without a Qt string: a trace appends several every step.
template <typename Number>
void appendNumber(std::string &line, Number value, std::size_t width = 0)
{
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    const auto size = std::size_t(written.ptr - digits);
    if (size < width)
        line.append(width - size, ' ');
    line.append(digits, written.ptr);
}

// An address as the memory table numbers it: at least two digits.
inline void appendTwoDigits(std::string &line, qint32 value)
{
    if (value >= 0 && value < 10)
        line += '0';
    appendNumber(line, value);
}

// Appends the words, each piece after a blank; nothing for a step that did
// nothing more than set its registers.
void appendEffect(std::string &line, const machine::Step &step);

} // namespace program
