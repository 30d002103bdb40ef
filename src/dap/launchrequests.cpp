// Launch and configuration: initialize, launch, configurationDone, restart,
// terminate and disconnect.

#include "dap/adapter.h"

#include <QRegularExpression>

namespace dap
{

struct InitializeArguments {
    bool linesStartAt1 = true;
    bool columnsStartAt1 = true;
    bool supportsInvalidatedEvent = false;

    static InitializeArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("linesStartAt1")).toBool(true),
                json.value(QLatin1String("columnsStartAt1")).toBool(true),
                json.value(QLatin1String("supportsInvalidatedEvent")).toBool(false)};
    }
};

struct LaunchArguments {
    LaunchOptions options;

    static LaunchArguments read(const QJsonObject &json)
    {
        LaunchOptions options;
        const QJsonValue program = json.value(QLatin1String("program"));
        if (!program.isString() || program.toString().isEmpty())
            throw Refusal{
                QStringLiteral("The launch configuration needs 'program': the file to debug.")};
        options.program = program.toString();
        for (const char *flag : {"stopOnEntry", "noDebug"}) {
            const QJsonValue value = json.value(QLatin1String(flag));
            if (!value.isUndefined() && !value.isNull() && !value.isBool())
                throw Refusal{
                    QStringLiteral("'%1' must be true or false.").arg(QLatin1String(flag))};
        }
        options.stopOnEntry = json.value(QLatin1String("stopOnEntry")).toBool(false);
        options.noDebug = json.value(QLatin1String("noDebug")).toBool(false);

        const QJsonValue input = json.value(QLatin1String("input"));
        if (input.isString()) {
            options.input = input.toString().split(QRegularExpression(QStringLiteral("\\s+")),
                                                   Qt::SkipEmptyParts);
        } else if (input.isArray()) {
            for (const QJsonValue &value : input.toArray()) {
                if (value.isString())
                    options.input.append(value.toString());
                else if (value.isDouble())
                    options.input.append(QString::number(value.toDouble(), 'g', 17));
                else
                    throw Refusal{
                        QStringLiteral("Each value of 'input' must be a number or a text.")};
            }
        } else if (!input.isUndefined() && !input.isNull()) {
            throw Refusal{QStringLiteral("'input' must be a list of values or a text of values "
                                         "separated by white space.")};
        }

        const QJsonValue maxSteps = json.value(QLatin1String("maxSteps"));
        if (!maxSteps.isUndefined() && !maxSteps.isNull()) {
            const double steps = maxSteps.toDouble(-1);
            // Whole numbers up to 2^53 are exact in JSON's doubles.
            if (!maxSteps.isDouble() || steps < 0 || steps > 9007199254740992.0 ||
                steps != double(quint64(steps)))
                throw Refusal{
                    QStringLiteral("'maxSteps' must be a whole number, 0 or more (0: no limit).")};
            options.maxSteps = quint64(steps);
        }
        return {options};
    }
};

// A restart with changed launch arguments, or none for the same ones.
struct RestartArguments {
    std::optional<LaunchOptions> changed;

    static RestartArguments read(const QJsonObject &json)
    {
        const QJsonValue changed = json.value(QLatin1String("arguments"));
        if (!changed.isObject())
            return {};
        return {LaunchArguments::read(changed.toObject()).options};
    }
};

void Adapter::addLaunchRequests(Handlers &handlers)
{
    add(handlers, "initialize", &Adapter::initialize);
    add(handlers, "launch", &Adapter::launch);
    add(handlers, "configurationDone", &Adapter::configurationDone);
    add(handlers, "restart", &Adapter::restart);
    add(handlers, "terminate", &Adapter::terminate);
    add(handlers, "disconnect", &Adapter::disconnect);
}

void Adapter::initialize(const InitializeArguments &arguments)
{
    if (phase != Phase::Uninitialized)
        throw Refusal{QStringLiteral("The session is already initialized.")};
    phase = Phase::Initialized;
    linesStartAt1 = arguments.linesStartAt1;
    columnsStartAt1 = arguments.columnsStartAt1;
    clientInvalidates = arguments.supportsInvalidatedEvent;
    const auto filter = [](const char *name, const char *label) {
        return QJsonObject{{QStringLiteral("filter"), QLatin1String(name)},
                           {QStringLiteral("label"), QLatin1String(label)},
                           {QStringLiteral("default"), true}};
    };
    // Exactly what is implemented; nothing else is announced.
    QJsonObject capabilities{
        {QStringLiteral("exceptionBreakpointFilters"),
         QJsonArray{filter("runError", "Run errors"), filter("stepLimit", "Step limit")}}};
    for (const char *capability :
         {"supportsConfigurationDoneRequest", "supportsSetVariable", "supportsStepBack",
          "supportsConditionalBreakpoints", "supportsHitConditionalBreakpoints",
          "supportsLogPoints", "supportsDataBreakpoints", "supportsInstructionBreakpoints",
          "supportsFunctionBreakpoints", "supportsGotoTargetsRequest", "supportsDisassembleRequest",
          "supportsEvaluateForHovers", "supportsRestartRequest", "supportsTerminateRequest",
          "supportsExceptionInfoRequest"})
        capabilities.insert(QLatin1String(capability), true);
    respond(capabilities);
}

// Every message to the console, the first error with the refusal, and
// where it stands for the client to show.
void Adapter::refuseLaunch(const LaunchError &error)
{
    for (const QString &line : error.lines)
        output(QStringLiteral("stderr"), line + QLatin1Char('\n'));
    Refusal refusal{error.lines.value(0)};
    if (error.at.line > 0)
        refusal.variables = {{QStringLiteral("line"), QString::number(clientLine(error.at.line))},
                             {QStringLiteral("column"), QString::number(error.at.column())}};
    throw refusal;
}

void Adapter::launch(const LaunchArguments &arguments)
{
    if (session.launched())
        throw Refusal{QStringLiteral("A program is already launched.")};
    LaunchError error;
    if (!session.launch(arguments.options, error))
        refuseLaunch(error);
    // Breakpoints asked for before: each one's event tells where it stands now.
    for (auto early = earlyBreakpoints.cbegin(); early != earlyBreakpoints.cend(); ++early) {
        QList<LineBreakpoint> placed = early.value();
        if (isProgram(early.key())) {
            placed = session.breakpoints().adopt(session.program(), placed);
        } else {
            for (LineBreakpoint &breakpoint : placed)
                breakpoint.message = notTheProgram();
        }
        announce(placed);
    }
    earlyBreakpoints.clear();
    // Instruction and function breakpoints asked for before are placed by the launch too.
    announce(session.breakpoints().instructions());
    announce(session.breakpoints().functions());
    respond();
    event(QStringLiteral("initialized"));
    if (phase == Phase::Configured)
        start();
    else if (phase == Phase::Initialized)
        phase = Phase::Launched;
}

void Adapter::announce(const QList<LineBreakpoint> &breakpoints)
{
    for (const LineBreakpoint &breakpoint : breakpoints)
        event(QStringLiteral("breakpoint"),
              {{QStringLiteral("reason"), QStringLiteral("changed")},
               {QStringLiteral("breakpoint"), breakpointJson(breakpoint)}});
}

void Adapter::configurationDone(const NoArguments &)
{
    if (phase != Phase::Initialized && phase != Phase::Launched)
        throw Refusal{QStringLiteral("The configuration is already done.")};
    const bool launched = phase == Phase::Launched;
    phase = Phase::Configured;
    respond();
    if (launched)
        start();
}

void Adapter::restart(const RestartArguments &arguments)
{
    requireLaunched();
    LaunchError error;
    if (!session.launch(arguments.changed.value_or(session.options()), error))
        refuseLaunch(error);
    exception.reset();
    respond();
    announce(session.breakpoints().lines());
    // Not configured yet: the program starts with configurationDone.
    if (phase != Phase::Launched)
        start();
}

void Adapter::terminate(const NoArguments &)
{
    respond();
    if (phase == Phase::Ended)
        return;
    phase = Phase::Ended;
    event(QStringLiteral("terminated"));
}

void Adapter::disconnect(const NoArguments &)
{
    phase = Phase::Disconnected;
    respond();
}

} // namespace dap
