#include "dap/timeline.h"

#include "dap/condition.h"
#include "dap/session.h"
#include "machine/decimal.h"
#include "machine/instructionset.h"

#include <algorithm>

namespace dap
{

struct Timeline::Found {
    quint64 step = 0;
    Stop stop;
};

// Steps replayed at most by one call of reverseStretch().
constexpr quint64 kReverseSlice = 1 << 20;

struct Timeline::Reverse {
    quint64 from = 0;           // where reverseContinue began
    quint64 end = 0;            // the stretches before this step count are still to be searched
    bool replaying = false;     // the stretch before `end` is being replayed
    quint64 checkpoint = 0;     // where that stretch starts
    std::optional<Found> found; // its last hit so far
};

Timeline::Timeline(Session &session, quint64 spacing, std::size_t capacity)
    : session(session), spacing_(std::max<quint64>(spacing, 1)),
      capacity(std::max<std::size_t>(capacity, 4))
{
}

Timeline::~Timeline() = default;

void Timeline::reset(const MachineState &start)
{
    furthest_ = 0;
    reverse.reset();
    checkpoints.clear();
    checkpoints.push_back(std::make_unique<const MachineState>(start));
}

quint64 Timeline::nextDue() const
{
    const quint64 last = checkpoints.empty() ? 0 : stepOf(checkpoints.back());
    return last > machine::kNoStepLimit - spacing_ ? machine::kNoStepLimit : last + spacing_;
}

void Timeline::record(const MachineState &state)
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
void Timeline::thin()
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

const MachineState &Timeline::atOrBefore(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? *checkpoints.front() : **std::prev(found);
}

const MachineState *Timeline::before(quint64 step) const
{
    auto found = std::lower_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.begin() ? nullptr : std::prev(found)->get();
}

const MachineState *Timeline::after(quint64 step) const
{
    auto found = std::upper_bound(checkpoints.begin(), checkpoints.end(), step, ByStep{});
    return found == checkpoints.end() ? nullptr : found->get();
}

void Timeline::rewrite(const MachineState &state)
{
    const quint64 step = state.registers.executedSteps;
    while (!checkpoints.empty() && stepOf(checkpoints.back()) >= step)
        checkpoints.pop_back();
    checkpoints.push_back(std::make_unique<const MachineState>(state));
}

std::size_t Timeline::bytes() const
{
    std::size_t total = sizeof(Timeline);
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

void Timeline::advanced()
{
    const quint64 executed = session.processor_.executedSteps();
    reached(executed);
    if (session.recording() && executed >= nextDue() && !session.waiting)
        record(session.state());
}

// The state after `step` steps, replayed from the nearest checkpoint: every
// input it meets was typed before, and what it puts out was sent before.
void Timeline::goTo(quint64 step)
{
    step = std::min(step, furthest_);
    session.restore(atOrBefore(step));
    replayUntil(step, 0, nullptr);
}

Stop Timeline::stepBack()
{
    const quint64 executed = session.processor_.executedSteps();
    if (executed == 0)
        return Stop{Stop::Start, {}, {}, {}};
    goTo(executed - 1);
    return Stop{Stop::Step, {}, {}, {}};
}

Stop Timeline::reverseContinue()
{
    beginReverse();
    for (;;) {
        if (std::optional<Stop> stop = reverseStretch())
            return *stop;
    }
}

void Timeline::beginReverse()
{
    reverse = std::make_unique<Reverse>();
    reverse->from = reverse->end = session.processor_.executedSteps();
}

// The stretches between checkpoints, the latest first: the last hit of the
// first stretch that has one is the breakpoint gone back to. A stretch is
// replayed a slice at a time, so that a pause waits for a slice at most.
std::optional<Stop> Timeline::reverseStretch()
{
    if (!reverse)
        return Stop{Stop::Pause, {}, {}, {}};
    if (!reverse->replaying) {
        const Breakpoints &breakpoints = session.breakpoints_;
        const bool any = breakpoints.cells().any() || !breakpoints.data().isEmpty();
        if (reverse->end == 0 || !any) {
            reverse.reset();
            goTo(0);
            return Stop{Stop::Start, {}, {}, {}};
        }
        const MachineState &checkpoint = atOrBefore(reverse->end - 1);
        reverse->checkpoint = checkpoint.registers.executedSteps;
        reverse->found.reset();
        reverse->replaying = true;
        session.restore(checkpoint);
    }
    const quint64 executed = session.processor_.executedSteps();
    const quint64 until = std::min(reverse->end, executed + kReverseSlice);
    if (replayUntil(until, reverse->from, &reverse->found) &&
        session.processor_.executedSteps() < reverse->end)
        return std::nullopt;
    reverse->replaying = false;
    if (const std::optional<Found> found = reverse->found) {
        reverse.reset();
        goTo(found->step);
        return found->stop;
    }
    reverse->end = reverse->checkpoint;
    return std::nullopt;
}

// The search rests where it has got back to (the end of the stretch it
// replays): a state of the run that stepping forwards reaches again.
Stop Timeline::pauseReverse()
{
    if (reverse)
        goTo(std::exchange(reverse, nullptr)->end);
    return Stop{Stop::Pause, {}, {}, {}};
}

// Replays up to `end` steps; with `found`, that becomes the last point
// before `end` at which the next instruction stood at a breakpoint that stops
// there, or before `current` just after a step that a data breakpoint
// watches. False when the run goes no further.
bool Timeline::replayUntil(quint64 end, quint64 current, std::optional<Found> *found)
{
    machine::Processor &processor = session.processor_;
    Breakpoints &breakpoints = session.breakpoints_;
    bool running = true;
    while (running && processor.executedSteps() < end) {
        const machine::Processor::Stop stop =
            found ? processor.run(end, &breakpoints.cells(), &breakpoints.watched())
                  : processor.run(end);
        session.collectOutput();
        switch (stop) {
        case machine::Processor::Stop::Breakpoint: {
            QStringList logs;
            const QList<qint32> ids = breakpoints.hit(processor, logs, false);
            if (!ids.isEmpty())
                *found = Found{processor.executedSteps(), Stop{Stop::Breakpoint, {}, ids, {}}};
            // Its instruction runs before breakpoints count again.
            [[fallthrough]];
        }
        case machine::Processor::Stop::Access:
            running = replayWatchedStep(current, *found);
            break;
        case machine::Processor::Stop::NeedsInput:
            running = session.takeInput();
            break;
        case machine::Processor::Stop::StepLimit:
            break;
        case machine::Processor::Stop::Halted:
        case machine::Processor::Stop::Fault:
            running = false;
            break;
        }
    }
    return running;
}

// One step replayed and looked at by the data breakpoints (before `current`);
// false when the run goes no further.
bool Timeline::replayWatchedStep(quint64 current, std::optional<Found> &found)
{
    const std::optional<Stop> stop = session.watchedStep();
    const quint64 executed = session.processor_.executedSteps();
    if (stop && stop->reason == Stop::DataBreakpoint && executed < current)
        found = Found{executed, *stop};
    return !stop || stop->reason == Stop::DataBreakpoint;
}

// A change by hand in the past: the recorded future no longer follows from
// it. The values typed in the console for it are dropped (those of the
// launch configuration stay), and the run goes on anew from here.
void Timeline::changedPast()
{
    const quint64 executed = session.processor_.executedSteps();
    if (furthest_ > executed) {
        session.tell(QStringLiteral("The past was changed at step %1: the %2 steps recorded after "
                                    "it are dropped, and the run goes on anew from here.")
                         .arg(executed)
                         .arg(furthest_ - executed));
        session.typed.resize(std::min(session.typed.size(),
                                      std::max(session.inputTaken, session.options_.input.size())));
    }
    furthest_ = executed;
    session.outputsSent = session.outputCount;
    session.hitsCountedTo = std::min(session.hitsCountedTo, executed);
    session.breakpoints_.forgetHitsAfter(executed);
    if (session.recording())
        rewrite(session.state());
}

QString Timeline::jumpTo(qint32 address)
{
    if (!machine::isAddress(address))
        return noCellText(QString::number(address));
    machine::Processor::Registers registers = session.processor_.registers();
    registers.pc = address;
    registers.halted = false;
    session.processor_.setRegisters(registers);
    session.waiting = false;
    changedPast();
    return {};
}

bool Timeline::atRecordedInput() const
{
    const machine::Processor &processor = session.processor_;
    if (session.waiting || processor.halted() || processor.executedSteps() >= furthest_ ||
        !machine::isAddress(processor.pc()))
        return false;
    const machine::Decoded decoded = machine::decodeWord(processor.word(processor.pc()));
    return decoded.ok() && decoded.opcode == machine::Input &&
           session.inputTaken < session.typed.size();
}

Stop Timeline::retype(const QString &text)
{
    changedPast();
    session.typed.resize(session.inputTaken);
    return session.type(text);
}

namespace
{

// A whole number as a value is typed: an optional sign and digits, within
// 32 bits. Empty, or why the text is none.
QString wholeNumber(const QString &text, qint32 &value)
{
    const QString trimmed = text.trimmed();
    const machine::Decimal number = machine::parseDecimal(trimmed);
    if (!number.ok() || number.length != trimmed.size())
        return QStringLiteral("'%1' is not a whole number from -2147483648 to 2147483647.")
            .arg(trimmed);
    value = number.value;
    return {};
}

} // namespace

QString Timeline::setAccumulator(const QString &value)
{
    return setRegister(value, &machine::Processor::Registers::accumulator);
}

QString Timeline::setFlags(const QString &value)
{
    return setRegister(value, &machine::Processor::Registers::flags);
}

QString Timeline::setRegister(const QString &value, qint32 machine::Processor::Registers::*which)
{
    qint32 number = 0;
    if (const QString error = wholeNumber(value, number); !error.isEmpty())
        return error;
    if (which == &machine::Processor::Registers::flags && number != 0 && number != 1)
        return QStringLiteral("The flags are 0 or 1.");
    machine::Processor::Registers registers = session.processor_.registers();
    registers.*which = number;
    session.processor_.setRegisters(registers);
    changedPast();
    return {};
}

// The word is kept as written, so that "0607" stays the instruction LDA 07.
QString Timeline::setCell(qint32 address, const QString &value)
{
    if (!machine::isAddress(address))
        return noCellText(QString::number(address));
    qint32 number = 0;
    if (const QString error = wholeNumber(value, number); !error.isEmpty())
        return error;
    session.processor_.setWord(address, value.trimmed());
    changedPast();
    return {};
}

} // namespace dap
