// Execution: continue, the steps forwards and backwards, pause and goto, and
// the run in stretches with the stops it reports.

#include "dap/adapter.h"
#include "dap/expression.h"
#include "program/exitstatus.h"

namespace dap
{

namespace
{

// A stretch of a run takes about this long, far below the 100 ms in which a
// pause must be answered.
constexpr qint64 kChunkMilliseconds = 10;
constexpr quint64 kMinChunkSteps = 1 << 10;
constexpr quint64 kMaxChunkSteps = 1 << 24;

} // namespace

struct GotoTargetsArguments {
    QString path;
    qint32 line = 0; // as the client counts lines

    static GotoTargetsArguments read(const QJsonObject &json)
    {
        return {
            json.value(QLatin1String("source")).toObject().value(QLatin1String("path")).toString(),
            json.value(QLatin1String("line")).toInt(0)};
    }
};

struct GotoArguments {
    qint64 targetId = 0;

    static GotoArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("targetId")).toInteger(0)};
    }
};

void Adapter::addExecutionRequests(Handlers &handlers)
{
    add(handlers, "continue", &Adapter::continueRun);
    add(handlers, "next", &Adapter::stepOne);
    add(handlers, "stepIn", &Adapter::stepOne);
    add(handlers, "stepOut", &Adapter::stepOne);
    add(handlers, "stepBack", &Adapter::stepBack);
    add(handlers, "reverseContinue", &Adapter::reverseContinue);
    add(handlers, "pause", &Adapter::pause);
    add(handlers, "gotoTargets", &Adapter::gotoTargets);
    add(handlers, "goto", &Adapter::gotoRequest);
}

void Adapter::continueRun(const NoArguments &)
{
    requireStopped();
    respond({{QStringLiteral("allThreadsContinued"), true}});
    if (endsHere())
        return;
    if (session.waitingForInput()) {
        report(session.runFor(0, Resume::FromStop).value_or(Stop{}), AfterInput::Continue);
        return;
    }
    phase = Phase::Running;
    stretch(Resume::FromStop);
}

void Adapter::stepOne(const NoArguments &)
{
    requireStopped();
    respond();
    if (endsHere())
        return;
    report(session.step(), AfterInput::Step);
}

// A run that failed or halted cannot go forwards: doing so ends it.
bool Adapter::endsHere()
{
    if (exception && exception->reason == Stop::RunError) {
        end(program::RunFailed);
        return true;
    }
    if (session.halted()) {
        end(program::Success);
        return true;
    }
    return false;
}

void Adapter::stepBack(const NoArguments &)
{
    requireStopped();
    respond();
    report(session.timeline().stepBack(), AfterInput::Step);
}

void Adapter::reverseContinue(const NoArguments &)
{
    requireStopped();
    respond();
    session.timeline().beginReverse();
    phase = Phase::Reversing;
    runChunk();
}

void Adapter::pause(const NoArguments &)
{
    respond();
    if (running())
        report(phase == Phase::Reversing ? session.timeline().pauseReverse()
                                         : Stop{Stop::Pause, {}, {}, {}},
               AfterInput::Continue);
}

// Each line with a word is a target: its cell, as ids count from 1.
void Adapter::gotoTargets(const GotoTargetsArguments &arguments)
{
    requireStopped();
    if (!isProgram(arguments.path))
        throw Refusal{notTheProgram()};
    const qint32 asked = programLine(arguments.line);
    QJsonArray targets;
    const program::Program &program = session.program();
    const qsizetype words = std::min<qsizetype>(program.image.size(), machine::kMemorySize);
    for (qsizetype address = 0; address < words; ++address) {
        const qint32 line = program.lineNumbers[std::size_t(address)];
        if (line >= asked) {
            targets.append(
                QJsonObject{{QStringLiteral("id"), qint64(address) + 1},
                            {QStringLiteral("label"), describeCell(session, qint32(address))},
                            {QStringLiteral("line"), clientLine(line)},
                            {QStringLiteral("instructionPointerReference"),
                             program::addressText(qint32(address))}});
            break;
        }
    }
    respond({{QStringLiteral("targets"), targets}});
}

void Adapter::gotoRequest(const GotoArguments &arguments)
{
    requireStopped();
    const QString refused = arguments.targetId < 1 || arguments.targetId > machine::kMemorySize
                                ? QStringLiteral("There is no such target.")
                                : session.timeline().jumpTo(qint32(arguments.targetId - 1));
    if (!refused.isEmpty())
        throw Refusal{refused};
    respond();
    exception.reset();
    event(QStringLiteral("stopped"), {{QStringLiteral("reason"), QStringLiteral("goto")},
                                      {QStringLiteral("threadId"), kThread},
                                      {QStringLiteral("allThreadsStopped"), true}});
}

void Adapter::start()
{
    if (session.options().stopOnEntry && !session.options().noDebug)
        report(Stop{Stop::Entry, {}, {}, {}}, AfterInput::Step);
    else
        phase = Phase::Running;
}

void Adapter::runChunk()
{
    if (phase == Phase::Running)
        stretch(Resume::Onwards);
    if (phase != Phase::Reversing)
        return;
    // Backwards, a stretch between two checkpoints at a time, for about as
    // long as a stretch forwards.
    chunkTimer.start();
    std::optional<Stop> stop;
    while (!stop && chunkTimer.elapsed() < kChunkMilliseconds)
        stop = session.timeline().reverseStretch();
    sendConsole();
    if (stop)
        report(*stop, AfterInput::Continue);
}

void Adapter::stretch(Resume resume)
{
    chunkTimer.start();
    const std::optional<Stop> stop = session.runFor(chunkSteps, resume);
    sendConsole();
    // The next stretch is fitted to take about kChunkMilliseconds, its output
    // sent: a program that puts out a value every few steps gets short stretches.
    const qint64 elapsed = chunkTimer.elapsed();
    if (elapsed < kChunkMilliseconds / 2)
        chunkSteps = std::min(chunkSteps * 2, kMaxChunkSteps);
    else if (elapsed > kChunkMilliseconds * 2)
        chunkSteps =
            std::max(chunkSteps * quint64(kChunkMilliseconds) / quint64(elapsed), kMinChunkSteps);
    if (stop)
        report(*stop, AfterInput::Continue);
}

// The program rests at the stop, or has ended there.
void Adapter::report(const Stop &stop, AfterInput after)
{
    phase = Phase::Stopped;
    exception.reset();
    const bool failed = stop.reason == Stop::RunError || stop.reason == Stop::StepLimit;
    // Without its exception filter, a run error or the step limit ends the
    // session as it does without debugging. After the halt the program stops
    // once, so that the run can be gone through backwards from its end.
    if (failed && (session.options().noDebug ||
                   !(stop.reason == Stop::RunError ? stopAtRunError : stopAtStepLimit))) {
        end(stop.reason == Stop::RunError ? program::RunFailed : program::StepLimitReached);
        return;
    }
    if (stop.reason == Stop::Halted && session.options().noDebug) {
        end(program::Success);
        return;
    }
    if (failed)
        exception = stop;
    if (stop.reason == Stop::Input)
        afterInput = after;
    // By Stop::Reason.
    static const char *const reasons[] = {"entry", "step",           "breakpoint", "pause",
                                          "pause", "exception",      "exception",  "step",
                                          "entry", "data breakpoint"};
    QJsonObject body{{QStringLiteral("reason"), QLatin1String(reasons[stop.reason])},
                     {QStringLiteral("threadId"), kThread},
                     {QStringLiteral("allThreadsStopped"), true}};
    const QString description =
        stop.reason == Stop::Start    ? QStringLiteral("start of the run")
        : stop.reason == Stop::Halted ? QStringLiteral("halted")
        : stop.reason == Stop::Input || stop.reason == Stop::DataBreakpoint || failed
            ? stop.description
            : QString();
    if (!description.isEmpty()) {
        body.insert(QStringLiteral("description"), description);
        body.insert(QStringLiteral("text"), description);
        // Not every client shows a stop's description: the console tells it
        // too (a failure's message is there already).
        if (!failed)
            output(QStringLiteral("console"), description + QLatin1Char('\n'));
    }
    if (stop.reason == Stop::Breakpoint || stop.reason == Stop::DataBreakpoint) {
        QJsonArray ids;
        for (const qint32 id : stop.breakpointIds)
            ids.append(id);
        body.insert(QStringLiteral("hitBreakpointIds"), ids);
    }
    event(QStringLiteral("stopped"), body);
}

void Adapter::end(int exitCode)
{
    phase = Phase::Ended;
    event(QStringLiteral("exited"), {{QStringLiteral("exitCode"), exitCode}});
    event(QStringLiteral("terminated"));
}

} // namespace dap
