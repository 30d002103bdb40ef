#pragma once

// The timeline of a debug session's run: where the run has been, and the
// moves back through it, apart from the session that runs it forwards.
//
// The whole machine is kept as it was at a few step counts of the run
// (checkpoints). Any earlier state is found again by putting back the nearest
// checkpoint before it and replaying forwards from there; the machine is
// deterministic, and the session keeps the values typed, so the same steps
// follow, and output and messages already sent are not sent again.
//
// Checkpoints are taken every `spacing` steps. Once there are more than
// `capacity`, one is dropped for each one taken, chosen so that the distances
// between them grow with their age (doubling into the past): the memory stays
// bounded however long the run, and the recent past stays quick to reach.

#include "dap/machinestate.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace dap
{

class Session;
struct Stop;

class Timeline
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

    Timeline(Session &session, quint64 spacing, std::size_t capacity);
    ~Timeline();

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

    // The most steps the run has reached since it last changed; steps up to
    // there are replayed.
    quint64 furthest() const { return furthest_; }
    void reached(quint64 step) { furthest_ = std::max(furthest_, step); }
    // After the session's steps: how far the run has come, and a checkpoint when one is due.
    void advanced();

    // Going backwards, to the state the run was in when it first passed
    // there: one step back, or back to the last step before this one at
    // which the next instruction stood at a breakpoint (to the start when
    // none did).
    Stop stepBack();
    Stop reverseContinue();
    // reverseContinue a stretch at a time, so that it can be paused: begun,
    // then gone on with (none while it goes on), or paused at a state of the
    // run that it has got back to.
    void beginReverse();
    std::optional<Stop> reverseStretch();
    Stop pauseReverse();
    // The state after that many steps, at most the furthest reached.
    void goTo(quint64 step);

    // Changes made by hand while stopped. Each returns an empty text, or why
    // the value was refused. A change in the past drops the recorded future.
    QString setAccumulator(const QString &value);
    QString setFlags(const QString &value);
    QString setCell(qint32 address, const QString &value);
    // Goes on from another cell, as if the program counter had been set there.
    QString jumpTo(qint32 address);
    // Gone back to before an input instruction whose value was typed: the
    // session would not ask for one, but retype() gives it other values, which
    // changes the past (the values typed after it are dropped).
    bool atRecordedInput() const;
    Stop retype(const QString &text);

private:
    struct Found;
    struct Reverse;
    void thin();
    bool replayUntil(quint64 end, quint64 current, std::optional<Found> *found);
    bool replayWatchedStep(quint64 current, std::optional<Found> &found);
    void changedPast();
    QString setRegister(const QString &value, qint32 machine::Processor::Registers::*which);
    static quint64 stepOf(const std::unique_ptr<const MachineState> &state)
    {
        return state->registers.executedSteps;
    }

    Session &session;
    quint64 spacing_;
    std::size_t capacity;
    // By step count; the first is the run's start. Held by pointer, so that
    // dropping one from the middle moves no cells.
    std::vector<std::unique_ptr<const MachineState>> checkpoints;
    quint64 furthest_ = 0;
    std::unique_ptr<Reverse> reverse; // while reverseContinue goes on
};

} // namespace dap
