#include "dap/session.h"

#include "assembler/splittext.h"
#include "diagnostics/runerror.h"
#include "machine/decimal.h"
#include "machine/instructionset.h"
#include "machine/runloop.h"
#include "machine/typedinput.h"
#include "program/textfile.h"

#include <algorithm>

namespace dap
{

QString inputDescription(qint32 line, qint32 address)
{
    const QString where = line > 0 ? QStringLiteral("line %1").arg(line)
                                   : QStringLiteral("address ") + program::addressText(address);
    return QString(machine::mnemonicOf(machine::Input)) + QLatin1String(" at ") + where +
           QLatin1String(" waits for a value: type it in the debug console");
}

Session::Session(quint64 spacing, std::size_t capacity) : history_(spacing, capacity)
{
    processor_.setOperandReport([this](qint32 address, const QString &line) {
        collectOutput(); // the output made before the report comes first
        if (newStep())   // a step replayed was reported when it first ran
            message(program_.locationOf(address) + line);
    });
}

Session::~Session()
{
    processor_.setOperandReport({});
    processor_.setStepObserver(nullptr);
}

bool Session::launch(const LaunchOptions &options, LaunchError &error)
{
    const LaunchOptions previous = std::exchange(options_, options);
    if (!load(error)) {
        options_ = previous;
        return false;
    }
    launched_ = true;
    return true;
}

// The program is read and assembled before anything of the current run is
// dropped, so that a program that no longer assembles loses nothing.
bool Session::load(LaunchError &error)
{
    program::Program program;
    program.name = options_.program;
    QString problem;
    if (program::readTextFile(options_.program, QStringLiteral("a program"), program.text,
                              problem) != program::FileTrouble::None) {
        error = {{problem}, {}};
        return false;
    }
    if (!program.assemble(problem)) {
        // The assembly's diagnostics, written as korvane-run writes them.
        error = {program.linesOf(program.errors), program.errors.value(0).range};
        return false;
    }
    program_ = std::move(program);
    findLabels();
    for (const QString &warning : program_.linesOf(program_.warnings))
        message(warning);
    program::loadImage(program_, processor_);
    processor_.setRegisters({});
    processor_.takeChanges();
    breakpoints_.relocate(program_);
    typed = options_.input;
    inputTaken = 0;
    outputCount = 0;
    waiting = false;
    stepLimitAt = options_.maxSteps;
    atStepLimit = false;
    watchingRecent = false;
    lastStep_.reset();
    observe();
    furthest_ = 0;
    outputsSent = 0;
    hitsCounted = false;
    hitsCountedTo = 0;
    reverse.reset();
    breakpoints_.clearHits();
    history_.reset(state());
    return true;
}

void Session::findLabels()
{
    labels_.clear();
    for (qint32 address = 0; address < program_.labels.size(); ++address) {
        const QString &name = program_.labels.at(address);
        if (!name.isEmpty())
            labels_.append({name, address, program_.holdsData(address)});
    }
}

const Label *Session::label(const QString &name) const
{
    for (const Label &label : labels_) {
        if (label.name.compare(name, Qt::CaseInsensitive) == 0)
            return &label;
    }
    return nullptr;
}

void Session::observe()
{
    processor_.setStepObserver(capturing || watchingRecent ? this : nullptr);
}

void Session::stepDone(const machine::Step &step)
{
    if (capturing)
        lastStep_ = step;
    if (watchingRecent) {
        lowestRecent = lowestRecent < 0 ? step.address : std::min(lowestRecent, step.address);
        highestRecent = std::max(highestRecent, step.address);
    }
}

// A run that goes on after a stop at the step limit gets as many steps again.
void Session::passStepLimit()
{
    if (!std::exchange(atStepLimit, false))
        return;
    stepLimitAt = stepLimitAt > machine::kNoStepLimit - options_.maxSteps
                      ? 0
                      : stepLimitAt + options_.maxSteps;
    watchingRecent = false;
    observe();
}

Stop Session::step()
{
    lastStep_.reset();
    waiting = false;
    passStepLimit();
    if (processor_.halted())
        return Stop{Stop::Halted, {}, {}, {}};
    if (stepLimitAt != 0 && processor_.executedSteps() >= stepLimitAt)
        return stepLimitStop();

    watchRecentIfDue();
    capturing = true;
    observe();
    const machine::Processor::Stop stop = processor_.run(processor_.executedSteps() + 1);
    collectOutput();
    std::optional<Stop> result;
    switch (stop) {
    case machine::Processor::Stop::Halted:
        result = Stop{Stop::Halted, {}, {}, {}};
        break;
    case machine::Processor::Stop::Fault:
        result = faultStop();
        break;
    case machine::Processor::Stop::NeedsInput:
        if (!takeInput())
            result = inputStop();
        collectOutput();
        break;
    case machine::Processor::Stop::StepLimit:
    case machine::Processor::Stop::Breakpoint:
    case machine::Processor::Stop::Access:
        break;
    }
    capturing = false;
    observe();
    advanced();
    return result.value_or(Stop{Stop::Step, {}, {}, {}});
}

std::optional<Stop> Session::runFor(quint64 steps, Resume resume)
{
    std::optional<Stop> stop = runStretch(steps, resume);
    if (capturing) {
        capturing = false;
        observe();
    }
    advanced();
    return stop;
}

std::optional<Stop> Session::runStretch(quint64 steps, Resume resume)
{
    if (waiting)
        return inputStop();
    if (processor_.halted())
        return Stop{Stop::Halted, {}, {}, {}};
    passStepLimit();
    // Going on from a breakpoint's instruction: it runs before breakpoints count again.
    if (resume == Resume::FromStop && !options_.noDebug && machine::isAddress(processor_.pc()) &&
        breakpoints_.cells()[std::size_t(processor_.pc())]) {
        if (std::optional<Stop> stop = watchedStep())
            return stop;
    }

    const quint64 start = processor_.executedSteps();
    const quint64 end =
        steps > machine::kNoStepLimit - start ? machine::kNoStepLimit : start + steps;
    const quint64 watchFrom = recentFrom();
    // The run goes at full speed; it stops before the instructions that use
    // a cell a data breakpoint watches, which are then looked at one by one.
    const machine::Processor::Breakpoints *breakAt =
        options_.noDebug ? nullptr : &breakpoints_.cells();
    const machine::Processor::Watched *watched =
        options_.noDebug ? nullptr : &breakpoints_.watched();
    for (;;) {
        advanced();
        const quint64 executed = processor_.executedSteps();
        if (stepLimitAt != 0 && executed >= stepLimitAt)
            return stepLimitStop();
        if (executed >= end)
            return std::nullopt;
        watchRecentIfDue();
        quint64 stopAt = std::min(end, stepLimitAt == 0 ? machine::kNoStepLimit : stepLimitAt);
        if (!watchingRecent)
            stopAt = std::min(stopAt, watchFrom);
        if (recording())
            stopAt = std::min(stopAt, history_.nextDue());

        const machine::Processor::Stop stop = processor_.run(stopAt, breakAt, watched);
        collectOutput();
        switch (stop) {
        case machine::Processor::Stop::Halted:
            return Stop{Stop::Halted, {}, {}, {}};
        case machine::Processor::Stop::Fault:
            return faultStop();
        case machine::Processor::Stop::NeedsInput:
            if (!takeInput())
                return inputStop();
            collectOutput();
            break;
        case machine::Processor::Stop::Breakpoint: {
            const QList<qint32> ids = breakpointsHit();
            if (!ids.isEmpty())
                return Stop{Stop::Breakpoint, {}, ids, {}};
            // None stops here (a condition, a hit count, a logpoint): its instruction runs.
            [[fallthrough]];
        }
        case machine::Processor::Stop::Access:
            if (std::optional<Stop> stop = watchedStep())
                return stop;
            break;
        case machine::Processor::Stop::StepLimit:
            break; // the loop tells which limit it was
        }
    }
}

// One step, looked at by the data breakpoints: the stop it makes, or none.
std::optional<Stop> Session::watchedStep()
{
    const QStringList words = dataWords();
    const Stop stop = step();
    if (stop.reason != Stop::Step)
        return stop;
    return dataStop(words);
}

// The breakpoints at the program counter that stop the run now. A point of
// the run counts its hits and writes its log messages once, however often
// the run passes it again by going back.
QList<qint32> Session::breakpointsHit()
{
    const quint64 at = processor_.executedSteps();
    const bool counting = !hitsCounted || at > hitsCountedTo;
    if (counting) {
        hitsCounted = true;
        hitsCountedTo = at;
    }
    QStringList logs;
    const QList<qint32> ids = breakpoints_.hit(processor_, logs, counting);
    collectOutput();
    for (const QString &log : logs)
        console.push_back({ConsoleLine::Log, log});
    return ids;
}

// The words of the cells that data breakpoints watch, in their order.
QStringList Session::dataWords() const
{
    QStringList words;
    for (const DataBreakpoint &breakpoint : breakpoints_.data())
        words.append(processor_.word(breakpoint.address));
    return words;
}

// The stop for the data breakpoints that the step just observed triggers;
// none when it triggers none. `before`: dataWords() before the step.
std::optional<Stop> Session::dataStop(const QStringList &before)
{
    if (!lastStep_ || lastStep_->number != processor_.executedSteps())
        return std::nullopt;
    const machine::Step &step = *lastStep_;
    const QList<DataBreakpoint> hits = breakpoints_.dataHit(step.opcode, step.operand);
    if (hits.isEmpty())
        return std::nullopt;
    QList<qint32> ids;
    QString was;
    for (const DataBreakpoint &hit : hits) {
        ids.append(hit.id);
        for (qsizetype index = 0; index < breakpoints_.data().size(); ++index) {
            if (breakpoints_.data().at(index).id == hit.id)
                was = before.value(index);
        }
    }
    const qint32 line = lineOf(step.address);
    const QString where = line > 0
                              ? QStringLiteral("line %1").arg(line)
                              : QStringLiteral("address ") + program::addressText(step.address);
    QString cell = QStringLiteral("cell ") + program::addressText(step.operand);
    if (!program_.labels.value(step.operand).isEmpty())
        cell += QStringLiteral(" (%1)").arg(program_.labels.value(step.operand));
    const QString instruction = QString(machine::mnemonicOf(step.opcode)) + QLatin1Char(' ') +
                                program::addressText(step.operand);
    const QString description =
        step.opcode == machine::Store
            ? QStringLiteral("%1 at %2 wrote %3: was %4, now %5")
                  .arg(instruction, where, cell, was, processor_.word(step.operand))
            : QStringLiteral("%1 at %2 read %3: %4")
                  .arg(instruction, where, cell, processor_.word(step.operand));
    return Stop{Stop::DataBreakpoint, description, ids, {}};
}

// Where the last steps before the step limit start, which its notes look at.
quint64 Session::recentFrom() const
{
    return stepLimitAt == 0 ? machine::kNoStepLimit
                            : stepLimitAt - std::min(stepLimitAt, machine::kRecentSteps);
}

void Session::watchRecentIfDue()
{
    if (watchingRecent || processor_.executedSteps() < recentFrom())
        return;
    watchingRecent = true;
    lowestRecent = highestRecent = -1;
    observe();
}

Stop Session::type(const QString &text)
{
    typed.append(splitText(text, QString()));
    return step();
}

// The input instruction has been fetched and waits: it takes the next typed
// value that is a number. With none left, the machine goes back to before
// the fetch, so that it rests between two steps while it waits.
bool Session::takeInput()
{
    while (inputTaken < typed.size()) {
        const QString &text = typed.at(inputTaken++);
        const machine::TypedInput input = machine::readTypedInput(text);
        switch (input.kind) {
        case machine::TypedInput::Empty:
            break;
        case machine::TypedInput::Invalid:
            if (newStep())
                message(machine::kInvalidInputMessage);
            break;
        case machine::TypedInput::Accepted:
            processor_.completeInput(input.value);
            return true;
        }
    }
    machine::Processor::Registers registers = processor_.registers();
    registers.pc -= 1; // an input instruction does not branch
    registers.executedSteps -= 1;
    processor_.setRegisters(registers);
    waiting = true;
    return false;
}

Stop Session::inputStop() const
{
    const qint32 address = processor_.pc();
    return Stop{Stop::Input, inputDescription(lineOf(address), address), {}, {}};
}

Stop Session::stepLimitStop()
{
    atStepLimit = true;
    // Written as korvane-run writes it: a diagnostic about the whole program.
    Stop stop{
        Stop::StepLimit,
        program_.lineOf(program_.runError(-1, diagnostics::Code::StepLimit,
                                          diagnostics::stepLimitText(processor_.executedSteps()))),
        {},
        {}};
    diagnostics::RunStop where;
    where.kind = diagnostics::RunStop::StepLimit;
    where.lowest = lowestRecent;
    where.highest = highestRecent;
    where.recentSteps = std::min(options_.maxSteps, machine::kRecentSteps);
    if (watchingRecent)
        stop.notes = program_.linesOf(program_.runNotes(where));
    message(stop.description);
    for (const QString &note : stop.notes)
        message(note);
    return stop;
}

// The failed step is taken back, so that the machine rests before the
// instruction that failed and shows its line.
Stop Session::faultStop()
{
    const qint32 address = processor_.faultAddress();
    // Written as korvane-run writes it: a diagnostic at the instruction's word.
    Stop stop{Stop::RunError,
              program_.lineOf(program_.runError(address, diagnostics::Code::RunError,
                                                program_.faultText(processor_.fault(), address))),
              {},
              {}};
    diagnostics::RunStop where;
    where.address = address;
    where.previousAddress = processor_.lastStepAddress();
    stop.notes = program_.linesOf(program_.runNotes(where));
    if (address >= 0) {
        machine::Processor::Registers registers = processor_.registers();
        registers.pc = address;
        registers.executedSteps -= 1;
        processor_.setRegisters(registers);
        // Replayed to there, the registers are as they were before the step
        // (the failed decode left its opcode and address in them).
        if (recording()) {
            furthest_ = std::max(furthest_, registers.executedSteps);
            goTo(registers.executedSteps);
        }
    }
    message(stop.description);
    for (const QString &note : stop.notes)
        message(note);
    return stop;
}

// Output is numbered in the run: a value replayed has a number already sent.
void Session::collectOutput()
{
    for (const qint32 value : processor_.takeOutput()) {
        if (++outputCount > outputsSent) {
            console.push_back({ConsoleLine::Output, QString::number(value)});
            outputsSent = outputCount;
        }
    }
}

void Session::message(const QString &text)
{
    console.push_back(
        {ConsoleLine::Message, text.endsWith(QLatin1Char('\n')) ? text.chopped(1) : text});
}

std::vector<ConsoleLine> Session::takeConsoleLines()
{
    collectOutput();
    return std::exchange(console, {});
}

MachineState Session::state() const
{
    MachineState state;
    for (qint32 address = 0; address < machine::kMemorySize; ++address)
        state.cells[std::size_t(address)] = processor_.word(address);
    state.registers = processor_.registers();
    state.inputTaken = inputTaken;
    state.outputCount = outputCount;
    return state;
}

void Session::restore(const MachineState &state)
{
    for (qint32 address = 0; address < machine::kMemorySize; ++address)
        processor_.setWord(address, state.cells[std::size_t(address)]);
    processor_.setRegisters(state.registers);
    processor_.takeChanges();
    inputTaken = std::min(state.inputTaken, typed.size());
    outputCount = state.outputCount;
    waiting = false;
    atStepLimit = false;
    watchingRecent = false;
    observe();
    lastStep_.reset();
}

// After steps have run: how far the run has come, and a checkpoint when one is due.
void Session::advanced()
{
    const quint64 executed = processor_.executedSteps();
    furthest_ = std::max(furthest_, executed);
    if (recording() && executed >= history_.nextDue() && !waiting)
        history_.record(state());
}

// The state after `step` steps, replayed from the nearest checkpoint: every
// input it meets was typed before, and what it puts out was sent before.
void Session::goTo(quint64 step)
{
    step = std::min(step, furthest_);
    restore(history_.atOrBefore(step));
    while (processor_.executedSteps() < step) {
        const machine::Processor::Stop stop = processor_.run(step);
        collectOutput();
        if (stop == machine::Processor::Stop::NeedsInput) {
            if (!takeInput())
                break; // cannot happen: every input before the furthest step was typed
        } else if (stop != machine::Processor::Stop::StepLimit) {
            break;
        }
    }
}

Stop Session::stepBack()
{
    const quint64 executed = processor_.executedSteps();
    if (executed == 0)
        return Stop{Stop::Start, {}, {}, {}};
    goTo(executed - 1);
    return Stop{Stop::Step, {}, {}, {}};
}

Stop Session::reverseContinue()
{
    beginReverse();
    for (;;) {
        if (std::optional<Stop> stop = reverseStretch())
            return *stop;
    }
}

void Session::beginReverse()
{
    reverse.emplace();
    reverse->from = reverse->end = processor_.executedSteps();
}

// The stretches between checkpoints, the latest first: the last hit of the
// first stretch that has one is the breakpoint gone back to. A stretch is
// replayed a slice at a time, so that a pause waits for a slice at most.
std::optional<Stop> Session::reverseStretch()
{
    if (!reverse)
        return Stop{Stop::Pause, {}, {}, {}};
    if (!reverse->replaying) {
        const bool any = breakpoints_.cells().any() || !breakpoints_.data().isEmpty();
        if (reverse->end == 0 || !any) {
            reverse.reset();
            goTo(0);
            return Stop{Stop::Start, {}, {}, {}};
        }
        const MachineState &checkpoint = history_.atOrBefore(reverse->end - 1);
        reverse->checkpoint = checkpoint.registers.executedSteps;
        reverse->found.reset();
        reverse->replaying = true;
        restore(checkpoint);
    }
    const quint64 executed = processor_.executedSteps();
    const quint64 until = std::min(reverse->end, executed + kReverseSlice);
    if (replayUntil(until, reverse->from, reverse->found) &&
        processor_.executedSteps() < reverse->end)
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
Stop Session::pauseReverse()
{
    if (reverse)
        goTo(std::exchange(reverse, std::nullopt)->end);
    return Stop{Stop::Pause, {}, {}, {}};
}

// Replays up to `end` steps: `found` becomes the last point before `end`
// at which the next instruction stood at a breakpoint that stops there, or
// before `current` just after a step that a data breakpoint watches. False
// when the run goes no further.
bool Session::replayUntil(quint64 end, quint64 current, std::optional<Found> &found)
{
    bool running = true;
    while (running && processor_.executedSteps() < end) {
        const machine::Processor::Stop stop =
            processor_.run(end, &breakpoints_.cells(), &breakpoints_.watched());
        collectOutput();
        switch (stop) {
        case machine::Processor::Stop::Breakpoint: {
            QStringList logs;
            const QList<qint32> ids = breakpoints_.hit(processor_, logs, false);
            if (!ids.isEmpty())
                found = Found{processor_.executedSteps(), Stop{Stop::Breakpoint, {}, ids, {}}};
            // Its instruction runs before breakpoints count again.
            [[fallthrough]];
        }
        case machine::Processor::Stop::Access:
            running = replayWatchedStep(current, found);
            break;
        case machine::Processor::Stop::NeedsInput:
            running = takeInput();
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
bool Session::replayWatchedStep(quint64 current, std::optional<Found> &found)
{
    const QStringList words = dataWords();
    lastStep_.reset();
    capturing = true;
    observe();
    const machine::Processor::Stop stop = processor_.run(processor_.executedSteps() + 1);
    collectOutput();
    const bool running = stop == machine::Processor::Stop::StepLimit ||
                         (stop == machine::Processor::Stop::NeedsInput && takeInput());
    capturing = false;
    observe();
    if (processor_.executedSteps() < current) {
        if (std::optional<Stop> data = dataStop(words))
            found = Found{processor_.executedSteps(), *data};
    }
    return running;
}

// A change by hand in the past: the recorded future no longer follows from
// it. The values typed in the console for it are dropped (those of the
// launch configuration stay), and the run goes on anew from here.
void Session::changedPast()
{
    const quint64 executed = processor_.executedSteps();
    if (furthest_ > executed) {
        message(QStringLiteral("The past was changed at step %1: the %2 steps recorded after it "
                               "are dropped, and the run goes on anew from here.")
                    .arg(executed)
                    .arg(furthest_ - executed));
        typed.resize(std::min(typed.size(), std::max(inputTaken, options_.input.size())));
    }
    furthest_ = executed;
    outputsSent = outputCount;
    hitsCountedTo = std::min(hitsCountedTo, executed);
    breakpoints_.forgetHitsAfter(executed);
    if (recording())
        history_.rewrite(state());
}

QString Session::jumpTo(qint32 address)
{
    if (!machine::isAddress(address))
        return QStringLiteral("There is no cell %1: the memory has cells 00 to 99.").arg(address);
    machine::Processor::Registers registers = processor_.registers();
    registers.pc = address;
    registers.halted = false;
    processor_.setRegisters(registers);
    waiting = false;
    changedPast();
    return {};
}

bool Session::atRecordedInput() const
{
    if (waiting || processor_.halted() || processor_.executedSteps() >= furthest_ ||
        !machine::isAddress(processor_.pc()))
        return false;
    const machine::Decoded decoded = machine::decodeWord(processor_.word(processor_.pc()));
    return decoded.ok() && decoded.opcode == machine::Input && inputTaken < typed.size();
}

Stop Session::retype(const QString &text)
{
    changedPast();
    typed.resize(inputTaken);
    typed.append(splitText(text, QString()));
    return step();
}

qint32 Session::lineOf(qint32 address) const
{
    if (address < 0 || address >= program_.image.size() || !machine::isAddress(address))
        return 0;
    return program_.lineNumbers[std::size_t(address)];
}

namespace
{

// A whole number as a value is typed: an optional sign and digits, within 32 bits.
bool wholeNumber(const QString &text, qint32 &value, QString &error)
{
    const QString trimmed = text.trimmed();
    qsizetype digitsFrom =
        trimmed.startsWith(QLatin1Char('-')) || trimmed.startsWith(QLatin1Char('+')) ? 1 : 0;
    const bool digitsOnly = trimmed.size() > digitsFrom &&
                            std::all_of(trimmed.cbegin() + digitsFrom, trimmed.cend(), [](QChar c) {
                                return c >= QLatin1Char('0') && c <= QLatin1Char('9');
                            });
    const machine::Decimal number = machine::parseDecimal(trimmed);
    if (!digitsOnly || !number.ok()) {
        error = QStringLiteral("'%1' is not a whole number from -2147483648 to 2147483647.")
                    .arg(trimmed);
        return false;
    }
    value = number.value;
    return true;
}

} // namespace

QString Session::setAccumulator(const QString &value)
{
    qint32 number = 0;
    QString error;
    if (!wholeNumber(value, number, error))
        return error;
    machine::Processor::Registers registers = processor_.registers();
    registers.accumulator = number;
    processor_.setRegisters(registers);
    changedPast();
    return {};
}

QString Session::setFlags(const QString &value)
{
    qint32 number = 0;
    QString error;
    if (!wholeNumber(value, number, error))
        return error;
    if (number != 0 && number != 1)
        return QStringLiteral("The flags are 0 or 1.");
    machine::Processor::Registers registers = processor_.registers();
    registers.flags = number;
    processor_.setRegisters(registers);
    changedPast();
    return {};
}

// The word is kept as written, so that "0607" stays the instruction LDA 07.
QString Session::setCell(qint32 address, const QString &value)
{
    if (!machine::isAddress(address))
        return QStringLiteral("There is no cell %1: the memory has cells 00 to 99.").arg(address);
    qint32 number = 0;
    QString error;
    if (!wholeNumber(value, number, error))
        return error;
    processor_.setWord(address, value.trimmed());
    changedPast();
    return {};
}

} // namespace dap
