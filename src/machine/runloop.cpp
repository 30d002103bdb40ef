#include "machine/runloop.h"

#include "machine/typedinput.h"

namespace machine
{

RunLoop::RunLoop(Processor &processor, Console &console, quint64 stepsPerPause, quint64 stepLimit)
    : processor(processor), console(console), stepsPerPause(stepsPerPause), stepLimit(stepLimit)
{
    recent.setLimit(stepLimit);
    processor.setOperandReport([this](qint32 instructionAddress, const QString &line) {
        handOnOutput(); // the output made before the report comes first
        this->console.operandReport(instructionAddress, line);
    });
}

RunLoop::~RunLoop()
{
    processor.setOperandReport({});
    processor.setStepObserver(nullptr);
}

void RunLoop::setStepObserver(StepObserver *stepObserver)
{
    observer = stepObserver;
    observeSteps();
}

// Steps are observed only while someone needs them: the fast path otherwise.
void RunLoop::observeSteps()
{
    processor.setStepObserver(observer || recent.watching() ? this : nullptr);
}

// The message of a run stopped at its step limit, which `limitName` set.
static QString stepLimitMessage(quint64 steps, const QString &limitName)
{
    return QStringLiteral("Error: the program ran %1 %2 without halting and was stopped "
                          "(see %3).")
        .arg(steps)
        .arg(steps == 1 ? QLatin1String("step") : QLatin1String("steps"), limitName);
}

RunEnd RunLoop::run()
{
    // The next pause is kept across an input: when the step that reaches it
    // is an input instruction, the pause comes as soon as the value is in.
    quint64 pauseAt = nextPause(processor.executedSteps(), stepsPerPause, stepLimit);
    for (;;) {
        if (!recent.watching() && recent.due(processor.executedSteps()))
            observeSteps();
        const Processor::Stop stop = processor.run(recent.stopAt(pauseAt));
        handOnOutput();
        switch (stop) {
        case Processor::Stop::Halted:
            return {};
        case Processor::Stop::Fault:
            return RunEnd::faultOf(processor);
        case Processor::Stop::NeedsInput:
            if (!readInput(processor, console))
                return {RunEnd::InputEnded, {}, processor.pc() - 1};
            break;
        case Processor::Stop::Breakpoint:
        case Processor::Stop::Access:
            // The loop runs without breakpoints; a stop there ends the run all the same.
            return {RunEnd::Stopped, {}, -1};
        case Processor::Stop::StepLimit: {
            const quint64 steps = processor.executedSteps();
            if (stepLimit != 0 && steps >= stepLimit)
                return recent.limitEnd(steps, stepLimitMessage(steps, stepLimitName));
            if (steps < pauseAt)
                break; // stopped only to start watching the last steps
            if (!console.keepRunning(steps))
                return {RunEnd::Stopped, {}, -1};
            pauseAt = nextPause(steps, stepsPerPause, stepLimit);
            break;
        }
        }
    }
}

RunEnd RunEnd::faultOf(const Processor &processor)
{
    RunEnd end{Fault, processor.faultMessage(), processor.faultAddress()};
    end.fault = processor.fault();
    end.previousAddress = processor.lastStepAddress();
    return end;
}

// Asks until a number is typed, the way the input dialog asks.
bool readInput(Processor &processor, Console &console)
{
    // An input instruction does not branch: it was fetched from the cell
    // before the program counter.
    const qint32 address = processor.pc() - 1;
    for (;;) {
        const std::optional<QString> typed = console.typedText(address);
        if (!typed)
            return false;
        const TypedInput input = readTypedInput(*typed);
        switch (input.kind) {
        case TypedInput::Empty:
            continue;
        case TypedInput::Invalid:
            console.message(kInvalidInputMessage);
            continue;
        case TypedInput::Accepted:
            // Told before the step completes, so that what the console says
            // about the value comes before the step's trace line.
            console.inputAccepted(*typed, input.value);
            processor.completeInput(input.value);
            return true;
        }
    }
}

void RunLoop::handOnOutput()
{
    for (const qint32 value : processor.takeOutput())
        console.writeValue(value);
}

void RunLoop::stepDone(const Step &step)
{
    if (recent.watching())
        recent.saw(step.address);
    if (observer) {
        handOnOutput();
        observer->stepDone(step);
    }
}

} // namespace machine
