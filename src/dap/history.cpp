#include "dap/history.h"

#include <algorithm>

namespace dap
{

History::History(quint64 spacing, std::size_t capacity)
    : spacing_(std::max<quint64>(spacing, 1)), capacity(std::max<std::size_t>(capacity, 4))
{
}

void History::reset(const MachineState &start)
{
    checkpoints.clear();
    checkpoints.push_back(start);
}

quint64 History::nextDue() const
{
    const quint64 last = checkpoints.empty() ? 0 : stepOf(checkpoints.back());
    return last > machine::kNoStepLimit - spacing_ ? machine::kNoStepLimit : last + spacing_;
}

void History::record(const MachineState &state)
{
    if (checkpoints.empty()) {
        checkpoints.push_back(state);
        return;
    }
    if (stepOf(state) < nextDue())
        return;
    checkpoints.push_back(state);
    if (checkpoints.size() > capacity)
        thin();
}

// Every other checkpoint of the older half goes, the start always stays: the
// recent past keeps its spacing, and each thinning doubles the distances
// further back.
void History::thin()
{
    const std::size_t older = checkpoints.size() / 2;
    std::deque<MachineState> kept;
    for (std::size_t index = 0; index < checkpoints.size(); ++index) {
        if (index == 0 || index >= older || index % 2 == 0)
            kept.push_back(std::move(checkpoints[index]));
    }
    checkpoints = std::move(kept);
}

namespace
{

struct ByStep {
    bool operator()(const MachineState &state, quint64 step) const
    {
        return state.registers.executedSteps < step;
    }
    bool operator()(quint64 step, const MachineState &state) const
    {
        return step < state.registers.executedSteps;
    }
};

} // namespace

const MachineState &History::atOrBefore(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? checkpoints.front() : *std::prev(found);
}

const MachineState *History::before(quint64 step) const
{
    auto found = std::lower_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? nullptr : &*std::prev(found);
}

const MachineState *History::after(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.end() ? nullptr : &*found;
}

void History::rewrite(const MachineState &state)
{
    const quint64 step = stepOf(state);
    while (!checkpoints.empty() && stepOf(checkpoints.back()) >= step)
        checkpoints.pop_back();
    checkpoints.push_back(state);
}

std::size_t History::bytes() const
{
    std::size_t total = sizeof(History);
    for (const MachineState &state : checkpoints) {
        total += sizeof(MachineState);
        for (const QString &cell : state.cells) {
            // A text shared with the machine or another checkpoint is counted
            // each time: an upper bound.
            if (!cell.isEmpty())
                total += sizeof(QArrayData) + std::size_t(cell.capacity() + 1) * sizeof(QChar);
        }
    }
    return total;
}

} // namespace dap
