#include "dap/session.h"

#include "assembler/splittext.h"
#include "machine/instructionset.h"
#include "program/textfile.h"

#include <algorithm>

namespace dap
{

Session::Session(quint64 spacing, std::size_t capacity) : timeline_(*this, spacing, capacity)
{
    processor_.setOperandReport([this](qint32 address, const QString &line) {
        collectOutput(); // the output made before the report comes first
        operandReport(address, line);
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
    for (const QString &warning : program_.linesOf(program_.warnings))
        tell(warning);
    program::loadImage(program_, processor_);
    processor_.setRegisters({});
    breakpoints_.relocate(program_);
    typed = options_.input;
    inputTaken = 0;
    outputCount = 0;
    stepLimitAt = options_.maxSteps;
    restore(state()); // the start, with nothing typed taken and nothing put out
    outputsSent = 0;
    hitsCounted = false;
    hitsCountedTo = 0;
    breakpoints_.clearHits();
    timeline_.reset(state());
    return true;
}

void Session::observe()
{
    processor_.setStepObserver(capturing || recent.watching() ? this : nullptr);
}

void Session::stepDone(const machine::Step &step)
{
    if (capturing)
        lastStep_ = step;
    if (recent.watching())
        recent.saw(step.address);
}

void Session::watchRecentIfDue()
{
    if (!recent.watching() && recent.due(processor_.executedSteps()))
        observe();
}

// A run that goes on after a stop at the step limit gets as many steps again.
void Session::passStepLimit()
{
    if (!std::exchange(atStepLimit, false))
        return;
    stepLimitAt = stepLimitAt > machine::kNoStepLimit - options_.maxSteps
                      ? 0
                      : stepLimitAt + options_.maxSteps;
    recent.setLimit(stepLimitAt);
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
    const std::optional<Stop> result = stopAfter(processor_.run(processor_.executedSteps() + 1));
    capturing = false;
    observe();
    timeline_.advanced();
    return result.value_or(Stop{Stop::Step, {}, {}, {}});
}

std::optional<Stop> Session::runFor(quint64 steps, Resume resume)
{
    std::optional<Stop> stop = runStretch(steps, resume);
    timeline_.advanced();
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
    // The run goes at full speed; it stops before the instructions that use
    // a cell a data breakpoint watches, which are then looked at one by one.
    const machine::Processor::Breakpoints *breakAt =
        options_.noDebug ? nullptr : &breakpoints_.cells();
    const machine::Processor::Watched *watched =
        options_.noDebug ? nullptr : &breakpoints_.watched();
    for (;;) {
        timeline_.advanced();
        const quint64 executed = processor_.executedSteps();
        if (stepLimitAt != 0 && executed >= stepLimitAt)
            return stepLimitStop();
        if (executed >= end)
            return std::nullopt;
        watchRecentIfDue();
        quint64 stopAt =
            recent.stopAt(std::min(end, stepLimitAt == 0 ? machine::kNoStepLimit : stepLimitAt));
        if (recording())
            stopAt = std::min(stopAt, timeline_.nextDue());

        const machine::Processor::Stop stop = processor_.run(stopAt, breakAt, watched);
        if (std::optional<Stop> ended = stopAfter(stop))
            return ended;
        if (stop == machine::Processor::Stop::Breakpoint) {
            const QList<qint32> ids = breakpointsHit();
            if (!ids.isEmpty())
                return Stop{Stop::Breakpoint, {}, ids, {}};
            // None stops here (a condition, a hit count, a logpoint): its instruction runs.
        }
        if (stop == machine::Processor::Stop::Breakpoint ||
            stop == machine::Processor::Stop::Access) {
            if (std::optional<Stop> stop = watchedStep())
                return stop;
        }
    }
}

// The stop that the processor's run stopping so makes, after its output:
// none for a stop that the run goes on from (an input that took its value).
std::optional<Stop> Session::stopAfter(machine::Processor::Stop stop)
{
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
    default:
        break; // the step limit: the loop tells which limit it was
    }
    return std::nullopt;
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
    const QString where = placeOf(step.address);
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
    if (machine::readInput(processor_, *this))
        return true;
    machine::Processor::Registers registers = processor_.registers();
    registers.pc -= 1; // an input instruction does not branch
    registers.executedSteps -= 1;
    processor_.setRegisters(registers);
    waiting = true;
    return false;
}

std::optional<QString> Session::typedText(qint32)
{
    if (inputTaken >= typed.size())
        return std::nullopt;
    return typed.at(inputTaken++);
}

// A step replayed told its message when it first ran.
void Session::message(const QString &text)
{
    if (newStep())
        tell(text);
}

void Session::operandReport(qint32 address, const QString &line)
{
    message(program_.locationOf(address) + line);
}

Stop Session::inputStop() const
{
    const QString description = QString(machine::mnemonicOf(machine::Input)) +
                                QLatin1String(" at ") + placeOf(processor_.pc()) +
                                QLatin1String(" waits for a value: type it in the debug console");
    return Stop{Stop::Input, description, {}, {}};
}

Stop Session::stepLimitStop()
{
    atStepLimit = true;
    return stopOf(recent.limitEnd(processor_.executedSteps(), {}));
}

// The failed step is taken back, so that the machine rests before the
// instruction that failed and shows its line.
Stop Session::faultStop()
{
    const machine::RunEnd end = machine::RunEnd::faultOf(processor_);
    if (end.address >= 0) {
        machine::Processor::Registers registers = processor_.registers();
        registers.pc = end.address;
        registers.executedSteps -= 1;
        processor_.setRegisters(registers);
        // Replayed to there, the registers are as they were before the step
        // (the failed decode left its opcode and address in them).
        if (recording()) {
            timeline_.reached(registers.executedSteps);
            timeline_.goTo(registers.executedSteps);
        }
    }
    return stopOf(end);
}

// A run error or the step limit, written as korvane-run writes it, and told
// on the console.
Stop Session::stopOf(const machine::RunEnd &end)
{
    QStringList lines = program_.linesOf(program_.runEnd(end, options_.maxSteps));
    for (const QString &line : lines)
        tell(line);
    const QString description = lines.takeFirst();
    return Stop{end.kind == machine::RunEnd::Fault ? Stop::RunError : Stop::StepLimit,
                description,
                {},
                lines};
}

// Output is numbered in the run: a value replayed has a number already sent.
void Session::collectOutput()
{
    for (const qint32 value : processor_.takeOutput())
        writeValue(value);
}

void Session::writeValue(qint32 value)
{
    if (++outputCount > outputsSent) {
        console.push_back({ConsoleLine::Output, QString::number(value)});
        outputsSent = outputCount;
    }
}

void Session::tell(const QString &text)
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
    recent.setLimit(stepLimitAt);
    observe();
    lastStep_.reset();
}

QString Session::placeOf(qint32 address) const
{
    const qint32 line = program_.lineNumberOf(address);
    return line > 0 ? QStringLiteral("line %1").arg(line)
                    : QStringLiteral("address ") + program::addressText(address);
}

} // namespace dap
