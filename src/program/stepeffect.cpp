#include "program/stepeffect.h"

namespace program
{

void appendEffect(std::string &line, const machine::Step &step)
{
    switch (step.effect) {
    case machine::Step::Effect::None:
        break;
    case machine::Step::Effect::Stored:
        line += " [";
        appendTwoDigits(line, step.value);
        line += "] = ";
        appendNumber(line, step.accumulator);
        break;
    case machine::Step::Effect::Branched:
        line += " jump to ";
        appendTwoDigits(line, step.value);
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
