#include "reference.h"

namespace reference
{

namespace
{

// Two's complement wrapping, computed on unsigned values (no signed overflow).
std::int32_t wrap(std::uint32_t value)
{
    return static_cast<std::int32_t>(value);
}

} // namespace

Result run(Memory &memory, std::span<const std::int32_t> inputs, std::vector<std::int32_t> &output)
{
    std::int32_t pc = 0;
    std::int32_t acc = 0;
    std::int32_t flags = 0;
    std::uint64_t steps = 0;
    std::size_t nextInput = 0;

    for (;;) {
        if (pc < 0 || pc >= 100)
            return {Result::Fault, acc, pc, steps};
        const std::int32_t word = memory[static_cast<std::size_t>(pc)];
        ++pc;
        ++steps;
        // Only words from 0 to 1202 reach the cases below the default, so
        // the address is always 0 to 99.
        const std::size_t address = static_cast<std::size_t>(word % 100);
        switch (word < 0 || word > 1202 ? -1 : word / 100) {
        case 0:
            return {Result::Halted, acc, pc, steps};
        case 1:
            acc = wrap(std::uint32_t(acc) + std::uint32_t(memory[address]));
            break;
        case 2:
            acc = wrap(std::uint32_t(acc) - std::uint32_t(memory[address]));
            break;
        case 3:
            acc = wrap(std::uint32_t(acc) * std::uint32_t(memory[address]));
            break;
        case 4: {
            const std::int32_t divisor = memory[address];
            if (divisor == 0)
                flags = 1;
            else if (divisor == -1)
                acc = wrap(0u - std::uint32_t(acc));
            else
                acc /= divisor;
            break;
        }
        case 5:
            memory[address] = acc;
            break;
        case 6:
            acc = memory[address];
            break;
        case 7:
            pc = static_cast<std::int32_t>(address);
            break;
        case 8:
            if (acc == 0)
                pc = static_cast<std::int32_t>(address);
            break;
        case 9:
            if (acc > 0)
                pc = static_cast<std::int32_t>(address);
            break;
        case 10:
            if (acc < 0)
                pc = static_cast<std::int32_t>(address);
            break;
        case 11:
            if (flags == 1)
                pc = static_cast<std::int32_t>(address);
            break;
        case 12:
            if (word == 1201) {
                if (nextInput == inputs.size())
                    return {Result::NeedsInput, acc, pc - 1, steps - 1};
                acc = inputs[nextInput++];
            } else if (word == 1202) {
                output.push_back(acc);
            } else {
                return {Result::Fault, acc, pc, steps};
            }
            break;
        default:
            return {Result::Fault, acc, pc, steps};
        }
    }
}

} // namespace reference
