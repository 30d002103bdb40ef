#pragma once

// Where a run has been, kept so that it can be gone through backwards: the
// whole machine as it was at a few step counts of the run (checkpoints). Any
// earlier state is found again by putting back the nearest checkpoint before
// it and running forwards from there; the machine is deterministic, and the
// values typed are kept by the session, so the same steps follow.
//
// Checkpoints are taken every `spacing` steps. Once there are more than
// `capacity`, one is dropped for each one taken, chosen so that the distances
// between them grow with their age (doubling into the past): the memory stays
// bounded however long the run, and the recent past stays quick to reach.

#include "dap/machinestate.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace dap
{

class History
{
public:
    // Steps between two checkpoints as they are taken, chosen by `make bench`
    // (History/*): a step back replays at most this many steps (under 0.5 ms),
    // and recording at this spacing costs no measurable time in a run.
    static constexpr quint64 kDefaultSpacing = 1 << 16;
    // Checkpoints kept at most: a checkpoint takes at most about 7 KiB (100
    // cells of 11 characters), so the history stays below 16 MiB. With the
    // default spacing no distance exceeds 2,097,152 steps (about 10 ms of
    // replay) in a run of up to 1,000,000,000 steps.
    static constexpr std::size_t kDefaultCapacity = 2048;

    explicit History(quint64 spacing = kDefaultSpacing, std::size_t capacity = kDefaultCapacity);

    // A new run from this state: everything kept before is dropped.
    void reset(const MachineState &start);
    // Keeps the state if a checkpoint is due at its step count.
    void record(const MachineState &state);
    // The step count at which the next checkpoint is due.
    quint64 nextDue() const;
    // The checkpoint nearest before or at the step count (the start at least).
    const MachineState &atOrBefore(quint64 step) const;
    // The checkpoint before the one at `step`, or null when that one is the first.
    const MachineState *before(quint64 step) const;
    // The checkpoint after `step`, or null.
    const MachineState *after(quint64 step) const;
    // Drops every checkpoint from this step count on, then keeps the state
    // (the run changed there).
    void rewrite(const MachineState &state);

    std::size_t size() const { return checkpoints.size(); }
    quint64 spacing() const { return spacing_; }
    // The memory the checkpoints take, their texts included.
    std::size_t bytes() const;

private:
    void thin();
    static quint64 stepOf(const std::unique_ptr<const MachineState> &state)
    {
        return state->registers.executedSteps;
    }

    quint64 spacing_;
    std::size_t capacity;
    // By step count; the first is the run's start. Held by pointer, so that
    // dropping one from the middle moves no cells.
    std::vector<std::unique_ptr<const MachineState>> checkpoints;
};

} // namespace dap
