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
    checkpoints.push_back(std::make_unique<const MachineState>(start));
}

quint64 History::nextDue() const
{
    const quint64 last = checkpoints.empty() ? 0 : stepOf(checkpoints.back());
    return last > machine::kNoStepLimit - spacing_ ? machine::kNoStepLimit : last + spacing_;
}

void History::record(const MachineState &state)
{
    if (!checkpoints.empty() && state.registers.executedSteps < nextDue())
        return;
    checkpoints.push_back(std::make_unique<const MachineState>(state));
    if (checkpoints.size() > capacity)
        thin();
}

// One checkpoint goes: the one whose going leaves the smallest distance
// between its neighbours for its age (the older of equals), never the first
// or the last. The distances so grow with the age, doubling into the past,
// and the recent past keeps its spacing.
void History::thin()
{
    const quint64 latest = stepOf(checkpoints.back());
    std::size_t dropped = 1;
    double smallest = -1;
    for (std::size_t index = 1; index + 1 < checkpoints.size(); ++index) {
        const double distance =
            double(stepOf(checkpoints[index + 1]) - stepOf(checkpoints[index - 1]));
        const double age = double(latest - stepOf(checkpoints[index])) + double(spacing_);
        if (smallest < 0 || distance / age < smallest) {
            smallest = distance / age;
            dropped = index;
        }
    }
    checkpoints.erase(checkpoints.begin() + std::ptrdiff_t(dropped));
}

namespace
{

struct ByStep {
    using Held = std::unique_ptr<const MachineState>;
    bool operator()(const Held &state, quint64 step) const
    {
        return state->registers.executedSteps < step;
    }
    bool operator()(quint64 step, const Held &state) const
    {
        return step < state->registers.executedSteps;
    }
};

} // namespace

const MachineState &History::atOrBefore(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? *checkpoints.front() : **std::prev(found);
}

const MachineState *History::before(quint64 step) const
{
    auto found = std::lower_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? nullptr : std::prev(found)->get();
}

const MachineState *History::after(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.end() ? nullptr : found->get();
}

void History::rewrite(const MachineState &state)
{
    const quint64 step = state.registers.executedSteps;
    while (!checkpoints.empty() && stepOf(checkpoints.back()) >= step)
        checkpoints.pop_back();
    checkpoints.push_back(std::make_unique<const MachineState>(state));
}

std::size_t History::bytes() const
{
    std::size_t total = sizeof(History);
    for (const auto &state : checkpoints) {
        total += sizeof(state) + sizeof(MachineState);
        for (const QString &cell : state->cells) {
            // A text shared with the machine or another checkpoint is counted
            // each time: an upper bound.
            if (!cell.isEmpty())
                total += sizeof(QArrayData) + std::size_t(cell.capacity() + 1) * sizeof(QChar);
        }
    }
    return total;
}

} // namespace dap
