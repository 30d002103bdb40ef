// Execution: continue, the steps forwards and backwards, pause and goto, and
// the run in stretches with the stops it reports.

#include "dap/adapter.h"
#include "dap/expression.h"

namespace dap
{

namespace
{

// A stretch of a run takes about this long, far below the 100 ms in which a
// pause must be answered.
constexpr qint64 kChunkMilliseconds = 10;
constexpr quint64 kMinChunkSteps = 1 << 10;
constexpr quint64 kMaxChunkSteps = 1 << 24;
// korvane-run's exit statuses for how a run ended.
constexpr int kHaltedStatus = 0;
constexpr int kRunErrorStatus = 2;
constexpr int kStepLimitStatus = 3;

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
        end(kRunErrorStatus);
        return true;
    }
    if (session.halted()) {
        end(kHaltedStatus);
        return true;
    }
    return false;
}

void Adapter::stepBack(const NoArguments &)
{
    requireStopped();
    respond();
    report(session.stepBack(), AfterInput::Step);
}

void Adapter::reverseContinue(const NoArguments &)
{
    requireStopped();
    respond();
    report(session.reverseContinue(), AfterInput::Continue);
}

void Adapter::pause(const NoArguments &)
{
    respond();
    if (phase == Phase::Running)
        report(Stop{Stop::Pause, {}, {}, {}}, AfterInput::Continue);
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
                                : session.jumpTo(qint32(arguments.targetId - 1));
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
    const auto stopped = [this](const QString &reason, const QString &description,
                                const QJsonObject &more = {}) {
        QJsonObject body{{QStringLiteral("reason"), reason},
                         {QStringLiteral("threadId"), kThread},
                         {QStringLiteral("allThreadsStopped"), true}};
        if (!description.isEmpty()) {
            body.insert(QStringLiteral("description"), description);
            body.insert(QStringLiteral("text"), description);
        }
        for (auto it = more.begin(); it != more.end(); ++it)
            body.insert(it.key(), it.value());
        event(QStringLiteral("stopped"), body);
    };
    QJsonArray ids;
    for (const qint32 id : stop.breakpointIds)
        ids.append(id);
    exception.reset();
    switch (stop.reason) {
    case Stop::Entry:
        stopped(QStringLiteral("entry"), {});
        break;
    case Stop::Start:
        stopped(QStringLiteral("entry"), QStringLiteral("start of the run"));
        break;
    case Stop::Step:
        stopped(QStringLiteral("step"), {});
        break;
    case Stop::Pause:
        stopped(QStringLiteral("pause"), {});
        break;
    case Stop::Breakpoint:
        stopped(QStringLiteral("breakpoint"), {}, {{QStringLiteral("hitBreakpointIds"), ids}});
        break;
    case Stop::Input:
        afterInput = after;
        stopped(QStringLiteral("pause"), stop.description);
        break;
    case Stop::DataBreakpoint:
        stopped(QStringLiteral("data breakpoint"), stop.description,
                {{QStringLiteral("hitBreakpointIds"), ids}});
        break;
    case Stop::RunError:
    case Stop::StepLimit:
        // Without its exception filter, a run error or the step limit ends
        // the session as it does without debugging.
        if (session.options().noDebug ||
            !(stop.reason == Stop::RunError ? stopAtRunError : stopAtStepLimit)) {
            end(stop.reason == Stop::RunError ? kRunErrorStatus : kStepLimitStatus);
            break;
        }
        exception = stop;
        stopped(QStringLiteral("exception"), stop.description);
        break;
    case Stop::Halted:
        // Stopped once after the halt, so that the run can be gone through
        // backwards from its end; going forwards from there ends it.
        if (session.options().noDebug)
            end(kHaltedStatus);
        else
            stopped(QStringLiteral("step"), QStringLiteral("halted"));
        break;
    }
}

void Adapter::end(int exitCode)
{
    phase = Phase::Ended;
    event(QStringLiteral("exited"), {{QStringLiteral("exitCode"), exitCode}});
    event(QStringLiteral("terminated"));
}

} // namespace dap
