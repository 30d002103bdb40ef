#include "program/stepeffect.h"

#include <charconv>
#include <iterator>

namespace program
{

namespace
{

void appendNumber(std::string &line, qint32 value)
{
    char digits[16];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    line.append(digits, written.ptr);
}

// An address as the memory table numbers it: at least two digits.
void appendAddress(std::string &line, qint32 value)
{
    if (value >= 0 && value < 10)
        line += '0';
    appendNumber(line, value);
}

} // namespace

void appendEffect(std::string &line, const machine::Step &step)
{
    switch (step.effect) {
    case machine::Step::Effect::None:
        break;
    case machine::Step::Effect::Stored:
        line += " [";
        appendAddress(line, step.value);
        line += "] = ";
        appendNumber(line, step.accumulator);
        break;
    case machine::Step::Effect::Branched:
        line += " jump to ";
        appendAddress(line, step.value);
        break;
    case machine::Step::Effect::NotTaken:
        line += " not taken";
        break;
    case machine::Step::Effect::Input:
        line += " in ";
        appendNumber(line, step.value);
        break;
    case machine::Step::Effect::Output:
        line += " out ";
        appendNumber(line, step.value);
        break;
    case machine::Step::Effect::FlagsSet:
        line += " flags = ";
        appendNumber(line, step.value);
        break;
    }
    if (step.wrapped)
        line += " wrapped";
}

} // namespace program
