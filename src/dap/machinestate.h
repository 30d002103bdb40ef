#pragma once

#include "machine/processor.h"

#include <QString>

#include <array>

namespace dap
{

// The whole machine between two steps, and how far the run has used its input and output.
struct MachineState {
    std::array<QString, machine::kMemorySize> cells;
    machine::Processor::Registers registers;
    qsizetype inputTaken = 0;
    quint64 outputCount = 0;

    bool operator==(const MachineState &) const = default;
};

} // namespace dap
