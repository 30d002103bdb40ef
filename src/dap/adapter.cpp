#include "dap/adapter.h"

#include "dap/assemblyerror.h"
#include "dap/expression.h"
#include "jsonrpc/message.h"
#include "machine/instructionset.h"
#include "program/exitstatus.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonValue>
#include <QRegularExpression>

#include <algorithm>

namespace dap
{

namespace
{

constexpr qint64 kThread = 1;
constexpr qint64 kFrame = 1;
// Variable references of the three scopes.
enum Scope : qint64 { Registers = 1, Labels = 2, Memory = 3 };
// A stretch of a run takes about this long, far below the 100 ms in which a
// pause must be answered.
constexpr qint64 kChunkMilliseconds = 10;
constexpr quint64 kMinChunkSteps = 1 << 10;
constexpr quint64 kMaxChunkSteps = 1 << 24;

QJsonObject variable(const QString &name, const QString &value, const QString &evaluateName)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("value"), value},
            {QStringLiteral("evaluateName"), evaluateName},
            {QStringLiteral("variablesReference"), 0}};
}

QString numberText(qint64 value)
{
    return QString::number(value);
}

} // namespace

Adapter::Adapter(Send send) : send(std::move(send)) {}

const QHash<QString, Adapter::Handler> &Adapter::handlers()
{
    static const QHash<QString, Handler> table = {
        {QStringLiteral("initialize"), &Adapter::initialize},
        {QStringLiteral("launch"), &Adapter::launch},
        {QStringLiteral("setBreakpoints"), &Adapter::setBreakpoints},
        {QStringLiteral("configurationDone"), &Adapter::configurationDone},
        {QStringLiteral("threads"), &Adapter::threads},
        {QStringLiteral("stackTrace"), &Adapter::stackTrace},
        {QStringLiteral("scopes"), &Adapter::scopes},
        {QStringLiteral("variables"), &Adapter::variables},
        {QStringLiteral("setVariable"), &Adapter::setVariable},
        {QStringLiteral("evaluate"), &Adapter::evaluate},
        {QStringLiteral("continue"), &Adapter::continueRun},
        {QStringLiteral("next"), &Adapter::stepOne},
        {QStringLiteral("stepIn"), &Adapter::stepOne},
        {QStringLiteral("stepOut"), &Adapter::stepOne},
        {QStringLiteral("stepBack"), &Adapter::stepBack},
        {QStringLiteral("reverseContinue"), &Adapter::reverseContinue},
        {QStringLiteral("pause"), &Adapter::pause},
        {QStringLiteral("restart"), &Adapter::restart},
        {QStringLiteral("terminate"), &Adapter::terminate},
        {QStringLiteral("disconnect"), &Adapter::disconnect},
        {QStringLiteral("exceptionInfo"), &Adapter::exceptionInfo},
        {QStringLiteral("setInstructionBreakpoints"), &Adapter::setInstructionBreakpoints},
        {QStringLiteral("setFunctionBreakpoints"), &Adapter::setFunctionBreakpoints},
        {QStringLiteral("dataBreakpointInfo"), &Adapter::dataBreakpointInfo},
        {QStringLiteral("setDataBreakpoints"), &Adapter::setDataBreakpoints},
        {QStringLiteral("setExceptionBreakpoints"), &Adapter::setExceptionBreakpoints},
        {QStringLiteral("gotoTargets"), &Adapter::gotoTargets},
        {QStringLiteral("goto"), &Adapter::gotoRequest},
        {QStringLiteral("disassemble"), &Adapter::disassemble},
    };
    return table;
}

void Adapter::handle(const QByteArray &body)
{
    QJsonParseError error;
    const std::optional<QJsonObject> parsed = jsonrpc::objectOf(body, error);
    if (!parsed) {
        refuse(error.error != QJsonParseError::NoError
                   ? QStringLiteral("a message that is not JSON was ignored (%1 at byte %2)")
                         .arg(error.errorString())
                         .arg(error.offset)
                   : QStringLiteral("a message that is not a JSON object was ignored"));
        return;
    }
    const QJsonObject &message = *parsed;
    if (message.value(QLatin1String("type")).toString() != QLatin1String("request")) {
        refuse(QStringLiteral("a message that is not a request was ignored"));
        return;
    }
    // A request is answered by its seq: one without it cannot be answered.
    if (!message.value(QLatin1String("seq")).isDouble()) {
        refuse(QStringLiteral("a request without a seq number was ignored"));
        return;
    }
    const QString command = message.value(QLatin1String("command")).toString();
    const auto found = handlers().constFind(command);
    if (found == handlers().constEnd()) {
        fail(message, command.isEmpty() ? QStringLiteral("The request names no command.")
                                        : QStringLiteral("Unknown command '%1'.").arg(command));
        return;
    }
    if (!initialized && command != QLatin1String("initialize") &&
        command != QLatin1String("disconnect")) {
        fail(message, QStringLiteral("The session is not initialized: send 'initialize' first."));
        return;
    }
    const QJsonValue arguments = message.value(QLatin1String("arguments"));
    if (!arguments.isUndefined() && !arguments.isNull() && !arguments.isObject()) {
        fail(message, QStringLiteral("The arguments of '%1' are not an object.").arg(command));
        return;
    }
    (this->*found.value())(message, arguments.toObject());
    sendConsole();
}

void Adapter::refuse(const QString &problem)
{
    output(QStringLiteral("stderr"), QStringLiteral("korvane-dap: ") + problem + QLatin1Char('\n'));
}

void Adapter::respond(const QJsonObject &request, const QJsonObject &body)
{
    QJsonObject response{
        {QStringLiteral("seq"), seq++},
        {QStringLiteral("type"), QStringLiteral("response")},
        {QStringLiteral("request_seq"), request.value(QLatin1String("seq"))},
        {QStringLiteral("command"), request.value(QLatin1String("command")).toString()},
        {QStringLiteral("success"), true}};
    if (!body.isEmpty())
        response.insert(QStringLiteral("body"), body);
    send(response);
}

void Adapter::fail(const QJsonObject &request, const QString &message, const QJsonObject &error)
{
    QJsonObject shown = error;
    shown.insert(QStringLiteral("id"), 1);
    shown.insert(QStringLiteral("format"), message);
    shown.insert(QStringLiteral("showUser"), true);
    send({{QStringLiteral("seq"), seq++},
          {QStringLiteral("type"), QStringLiteral("response")},
          {QStringLiteral("request_seq"), request.value(QLatin1String("seq"))},
          {QStringLiteral("command"), request.value(QLatin1String("command")).toString()},
          {QStringLiteral("success"), false},
          {QStringLiteral("message"), message},
          {QStringLiteral("body"), QJsonObject{{QStringLiteral("error"), shown}}}});
}

void Adapter::event(const QString &name, const QJsonObject &body)
{
    QJsonObject message{{QStringLiteral("seq"), seq++},
                        {QStringLiteral("type"), QStringLiteral("event")},
                        {QStringLiteral("event"), name}};
    if (!body.isEmpty())
        message.insert(QStringLiteral("body"), body);
    send(message);
}

void Adapter::output(const QString &category, const QString &text)
{
    event(QStringLiteral("output"),
          {{QStringLiteral("category"), category}, {QStringLiteral("output"), text}});
}

// Output values and korvane-run's messages, in the order the run made them.
void Adapter::sendConsole()
{
    for (const ConsoleLine &line : session.takeConsoleLines())
        output(line.kind == ConsoleLine::Output ? QStringLiteral("stdout")
               : line.kind == ConsoleLine::Log  ? QStringLiteral("console")
                                                : QStringLiteral("stderr"),
               line.text + QLatin1Char('\n'));
}

void Adapter::initialize(const QJsonObject &request, const QJsonObject &arguments)
{
    if (initialized) {
        fail(request, QStringLiteral("The session is already initialized."));
        return;
    }
    initialized = true;
    linesStartAt1 = arguments.value(QLatin1String("linesStartAt1")).toBool(true);
    columnsStartAt1 = arguments.value(QLatin1String("columnsStartAt1")).toBool(true);
    clientInvalidates = arguments.value(QLatin1String("supportsInvalidatedEvent")).toBool(false);
    // Exactly what is implemented; nothing else is announced.
    respond(request,
            {{QStringLiteral("supportsConfigurationDoneRequest"), true},
             {QStringLiteral("supportsSetVariable"), true},
             {QStringLiteral("supportsStepBack"), true},
             {QStringLiteral("supportsConditionalBreakpoints"), true},
             {QStringLiteral("supportsHitConditionalBreakpoints"), true},
             {QStringLiteral("supportsLogPoints"), true},
             {QStringLiteral("supportsDataBreakpoints"), true},
             {QStringLiteral("supportsInstructionBreakpoints"), true},
             {QStringLiteral("supportsFunctionBreakpoints"), true},
             {QStringLiteral("supportsGotoTargetsRequest"), true},
             {QStringLiteral("supportsDisassembleRequest"), true},
             {QStringLiteral("exceptionBreakpointFilters"),
              QJsonArray{QJsonObject{{QStringLiteral("filter"), QStringLiteral("runError")},
                                     {QStringLiteral("label"), QStringLiteral("Run errors")},
                                     {QStringLiteral("default"), true}},
                         QJsonObject{{QStringLiteral("filter"), QStringLiteral("stepLimit")},
                                     {QStringLiteral("label"), QStringLiteral("Step limit")},
                                     {QStringLiteral("default"), true}}}},
             {QStringLiteral("supportsEvaluateForHovers"), true},
             {QStringLiteral("supportsRestartRequest"), true},
             {QStringLiteral("supportsTerminateRequest"), true},
             {QStringLiteral("supportsExceptionInfoRequest"), true}});
}

namespace
{

// The launch arguments, or the reason they cannot be used.
std::optional<LaunchOptions> launchOptions(const QJsonObject &arguments, QString &problem)
{
    LaunchOptions options;
    const QJsonValue program = arguments.value(QLatin1String("program"));
    if (!program.isString() || program.toString().isEmpty()) {
        problem = QStringLiteral("The launch configuration needs 'program': the file to debug.");
        return std::nullopt;
    }
    options.program = program.toString();
    for (const char *flag : {"stopOnEntry", "noDebug"}) {
        const QJsonValue value = arguments.value(QLatin1String(flag));
        if (!value.isUndefined() && !value.isNull() && !value.isBool()) {
            problem = QStringLiteral("'%1' must be true or false.").arg(QLatin1String(flag));
            return std::nullopt;
        }
    }
    options.stopOnEntry = arguments.value(QLatin1String("stopOnEntry")).toBool(false);
    options.noDebug = arguments.value(QLatin1String("noDebug")).toBool(false);

    const QJsonValue input = arguments.value(QLatin1String("input"));
    if (input.isString()) {
        options.input =
            input.toString().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    } else if (input.isArray()) {
        for (const QJsonValue &value : input.toArray()) {
            if (value.isString()) {
                options.input.append(value.toString());
            } else if (value.isDouble()) {
                options.input.append(QString::number(value.toDouble(), 'g', 17));
            } else {
                problem = QStringLiteral("Each value of 'input' must be a number or a text.");
                return std::nullopt;
            }
        }
    } else if (!input.isUndefined() && !input.isNull()) {
        problem = QStringLiteral("'input' must be a list of values or a text of values "
                                 "separated by white space.");
        return std::nullopt;
    }

    const QJsonValue maxSteps = arguments.value(QLatin1String("maxSteps"));
    if (!maxSteps.isUndefined() && !maxSteps.isNull()) {
        const double steps = maxSteps.toDouble(-1);
        // Whole numbers up to 2^53 are exact in JSON's doubles.
        if (!maxSteps.isDouble() || steps < 0 || steps > 9007199254740992.0 ||
            steps != double(quint64(steps))) {
            problem = QStringLiteral("'maxSteps' must be a whole number, 0 or more (0: no limit).");
            return std::nullopt;
        }
        options.maxSteps = quint64(steps);
    }
    return options;
}

} // namespace

void Adapter::launch(const QJsonObject &request, const QJsonObject &arguments)
{
    if (launched) {
        fail(request, QStringLiteral("A program is already launched."));
        return;
    }
    QString problem;
    const std::optional<LaunchOptions> options = launchOptions(arguments, problem);
    if (!options) {
        fail(request, problem);
        return;
    }
    QStringList errorLines;
    if (!session.launch(*options, errorLines)) {
        // Every message to the console, the first error with the refusal.
        for (const QString &line : errorLines)
            output(QStringLiteral("stderr"), line + QLatin1Char('\n'));
        const AssemblyError error = firstAssemblyError(options->program, errorLines.value(0));
        QJsonObject where;
        if (error.line > 0) {
            QJsonObject variables{{QStringLiteral("line"), numberText(clientLine(error.line))}};
            if (error.column > 0)
                variables.insert(QStringLiteral("column"), numberText(error.column));
            where.insert(QStringLiteral("variables"), variables);
        }
        fail(request, error.text, where);
        return;
    }
    launched = true;
    // Breakpoints asked for before: each one's event tells where it stands now.
    for (auto early = earlyBreakpoints.cbegin(); early != earlyBreakpoints.cend(); ++early) {
        QList<LineBreakpoint> placed = early.value();
        if (isProgram(early.key())) {
            placed = session.breakpoints().adopt(session.program(), placed);
        } else {
            for (LineBreakpoint &breakpoint : placed)
                breakpoint.message = notTheProgram();
        }
        for (const LineBreakpoint &breakpoint : placed)
            event(QStringLiteral("breakpoint"),
                  {{QStringLiteral("reason"), QStringLiteral("changed")},
                   {QStringLiteral("breakpoint"), breakpointJson(breakpoint)}});
    }
    earlyBreakpoints.clear();
    // Instruction and function breakpoints asked for before are placed by the launch too.
    for (const QList<LineBreakpoint> *list :
         {&session.breakpoints().instructions(), &session.breakpoints().functions()}) {
        for (const LineBreakpoint &breakpoint : *list)
            event(QStringLiteral("breakpoint"),
                  {{QStringLiteral("reason"), QStringLiteral("changed")},
                   {QStringLiteral("breakpoint"), breakpointJson(breakpoint)}});
    }
    respond(request);
    sendConsole();
    event(QStringLiteral("initialized"));
    if (configured)
        start();
}

bool Adapter::isProgram(const QString &path) const
{
    const QFileInfo given(path);
    const QFileInfo program(session.options().program);
    const QString a = given.canonicalFilePath();
    return !a.isEmpty() ? a == program.canonicalFilePath()
                        : given.absoluteFilePath() == program.absoluteFilePath();
}

QString Adapter::notTheProgram() const
{
    return QStringLiteral("Not the program being debugged (%1).").arg(session.options().program);
}

qint32 Adapter::clientLine(qint32 line) const
{
    return linesStartAt1 ? line : line - 1;
}

qint32 Adapter::programLine(qint32 line) const
{
    return linesStartAt1 ? line : line + 1;
}

QJsonObject Adapter::breakpointJson(const LineBreakpoint &breakpoint) const
{
    QJsonObject json{{QStringLiteral("id"), breakpoint.id},
                     {QStringLiteral("verified"), breakpoint.verified}};
    // An instruction or function breakpoint has a line only where it stands at one.
    if (breakpoint.kind == LineBreakpoint::Line || breakpoint.line > 0)
        json.insert(QStringLiteral("line"), clientLine(breakpoint.line));
    if (!breakpoint.message.isEmpty())
        json.insert(QStringLiteral("message"), breakpoint.message);
    if (breakpoint.verified)
        json.insert(QStringLiteral("instructionReference"),
                    program::addressText(breakpoint.address));
    return json;
}

void Adapter::setBreakpoints(const QJsonObject &request, const QJsonObject &arguments)
{
    const QString path =
        arguments.value(QLatin1String("source")).toObject().value(QLatin1String("path")).toString();
    QList<qint32> lines;
    QList<BreakpointOptions> options;
    const QJsonValue asked = arguments.value(QLatin1String("breakpoints"));
    if (asked.isArray()) {
        for (const QJsonValue &breakpoint : asked.toArray()) {
            lines.append(programLine(breakpoint.toObject().value(QLatin1String("line")).toInt(0)));
            options.append(breakpointOptions(breakpoint.toObject()));
        }
    } else {
        for (const QJsonValue &line : arguments.value(QLatin1String("lines")).toArray())
            lines.append(programLine(line.toInt(0)));
    }

    QJsonArray placed;
    const auto unverified = [&](const QString &why) {
        for (const qint32 line : lines)
            placed.append(QJsonObject{{QStringLiteral("verified"), false},
                                      {QStringLiteral("line"), clientLine(line)},
                                      {QStringLiteral("message"), why}});
    };
    if (path.isEmpty()) {
        unverified(QStringLiteral("The source has no path."));
    } else if (!launched) {
        // Placed once the program is read; their events say where.
        const QList<LineBreakpoint> reserved = session.breakpoints().reserve(
            lines, QStringLiteral("The program is not launched yet."), options);
        earlyBreakpoints.insert(path, reserved);
        for (const LineBreakpoint &breakpoint : reserved)
            placed.append(breakpointJson(breakpoint));
    } else if (!isProgram(path)) {
        unverified(notTheProgram());
    } else {
        for (const LineBreakpoint &breakpoint :
             session.breakpoints().setLines(session.program(), lines, options))
            placed.append(breakpointJson(breakpoint));
    }
    respond(request, {{QStringLiteral("breakpoints"), placed}});
}

BreakpointOptions Adapter::breakpointOptions(const QJsonObject &breakpoint)
{
    return {breakpoint.value(QLatin1String("condition")).toString(),
            breakpoint.value(QLatin1String("hitCondition")).toString(),
            breakpoint.value(QLatin1String("logMessage")).toString()};
}

void Adapter::setInstructionBreakpoints(const QJsonObject &request, const QJsonObject &arguments)
{
    QStringList references;
    QList<qint32> offsets;
    QList<BreakpointOptions> options;
    for (const QJsonValue &value : arguments.value(QLatin1String("breakpoints")).toArray()) {
        const QJsonObject breakpoint = value.toObject();
        references.append(breakpoint.value(QLatin1String("instructionReference")).toString());
        offsets.append(breakpoint.value(QLatin1String("offset")).toInt(0));
        options.append(breakpointOptions(breakpoint));
    }
    QJsonArray placed;
    for (const LineBreakpoint &breakpoint :
         session.breakpoints().setInstructions(session.program(), references, offsets, options))
        placed.append(breakpointJson(breakpoint));
    respond(request, {{QStringLiteral("breakpoints"), placed}});
}

void Adapter::setFunctionBreakpoints(const QJsonObject &request, const QJsonObject &arguments)
{
    QStringList names;
    QList<BreakpointOptions> options;
    for (const QJsonValue &value : arguments.value(QLatin1String("breakpoints")).toArray()) {
        const QJsonObject breakpoint = value.toObject();
        names.append(breakpoint.value(QLatin1String("name")).toString());
        options.append(breakpointOptions(breakpoint));
    }
    QJsonArray placed;
    for (const LineBreakpoint &breakpoint :
         session.breakpoints().setFunctions(session.program(), names, options))
        placed.append(breakpointJson(breakpoint));
    respond(request, {{QStringLiteral("breakpoints"), placed}});
}

// A cell can be watched, named by a label, "[NN]", or its name in the Memory scope.
void Adapter::dataBreakpointInfo(const QJsonObject &request, const QJsonObject &arguments)
{
    const QString name = arguments.value(QLatin1String("name")).toString();
    std::optional<Target> target = launched ? parseTarget(session, name) : std::nullopt;
    if (!target && arguments.value(QLatin1String("variablesReference")).toInteger(0) == Memory)
        target = cellTarget(name);
    if (!target || target->kind == Target::Register) {
        respond(request,
                {{QStringLiteral("dataId"), QJsonValue::Null},
                 {QStringLiteral("description"),
                  QStringLiteral("Only a cell can be watched: a label, or a cell like [07].")}});
        return;
    }
    respond(request, {{QStringLiteral("dataId"),
                       QStringLiteral("cell:") + program::addressText(target->address)},
                      {QStringLiteral("description"), cellName(session, target->address)},
                      {QStringLiteral("accessTypes"),
                       QJsonArray{QStringLiteral("write"), QStringLiteral("readWrite")}},
                      {QStringLiteral("canPersist"), true}});
}

void Adapter::setDataBreakpoints(const QJsonObject &request, const QJsonObject &arguments)
{
    static const QRegularExpression cell(QStringLiteral("^cell:(\\d\\d)$"));
    QList<DataBreakpoint> asked;
    QList<QString> refused; // by position: why a breakpoint is not set, or empty
    for (const QJsonValue &value : arguments.value(QLatin1String("breakpoints")).toArray()) {
        const QJsonObject breakpoint = value.toObject();
        const QRegularExpressionMatch match =
            cell.match(breakpoint.value(QLatin1String("dataId")).toString());
        const QString access = breakpoint.value(QLatin1String("accessType")).toString();
        if (!match.hasMatch()) {
            refused.append(QStringLiteral("Only a cell can be watched."));
        } else if (!access.isEmpty() && access != QLatin1String("write") &&
                   access != QLatin1String("readWrite")) {
            refused.append(QStringLiteral("A cell is watched for 'write' or 'readWrite', not '%1'.")
                               .arg(access));
        } else {
            refused.append(QString());
            asked.append({0, match.captured(1).toInt(), access == QLatin1String("readWrite")});
        }
    }
    const QList<DataBreakpoint> set = session.breakpoints().setData(asked);
    QJsonArray placed;
    qsizetype next = 0;
    for (const QString &why : refused) {
        if (why.isEmpty())
            placed.append(QJsonObject{{QStringLiteral("id"), set.at(next++).id},
                                      {QStringLiteral("verified"), true}});
        else
            placed.append(
                QJsonObject{{QStringLiteral("verified"), false}, {QStringLiteral("message"), why}});
    }
    respond(request, {{QStringLiteral("breakpoints"), placed}});
}

void Adapter::setExceptionBreakpoints(const QJsonObject &request, const QJsonObject &arguments)
{
    const QJsonArray filters = arguments.value(QLatin1String("filters")).toArray();
    stopAtRunError = filters.contains(QStringLiteral("runError"));
    stopAtStepLimit = filters.contains(QStringLiteral("stepLimit"));
    respond(request);
}

// Each line with a word is a target: its cell, as ids count from 1.
void Adapter::gotoTargets(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!needsStopped(request))
        return;
    const QString path =
        arguments.value(QLatin1String("source")).toObject().value(QLatin1String("path")).toString();
    if (!isProgram(path)) {
        fail(request, notTheProgram());
        return;
    }
    const qint32 asked = programLine(arguments.value(QLatin1String("line")).toInt(0));
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
    respond(request, {{QStringLiteral("targets"), targets}});
}

void Adapter::gotoRequest(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!needsStopped(request))
        return;
    const qint64 target = arguments.value(QLatin1String("targetId")).toInteger(0);
    const QString refused = target < 1 || target > machine::kMemorySize
                                ? QStringLiteral("There is no such target.")
                                : session.jumpTo(qint32(target - 1));
    if (!refused.isEmpty()) {
        fail(request, refused);
        return;
    }
    respond(request);
    exception.reset();
    sendConsole();
    event(QStringLiteral("stopped"), {{QStringLiteral("reason"), QStringLiteral("goto")},
                                      {QStringLiteral("threadId"), kThread},
                                      {QStringLiteral("allThreadsStopped"), true}});
}

// The memory as address, word and instruction, from the reference ("07")
// moved by the instruction offset; addresses outside the memory are shown
// as such, so that the client gets as many as it asked for.
void Adapter::disassemble(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!launched) {
        fail(request, QStringLiteral("No program is running yet: launch one first."));
        return;
    }
    static const QRegularExpression number(QStringLiteral("^\\s*\\d{1,3}\\s*$"));
    const QString reference = arguments.value(QLatin1String("memoryReference")).toString();
    if (!number.match(reference).hasMatch()) {
        fail(request, QStringLiteral("'%1' is not an address from 00 to 99.").arg(reference));
        return;
    }
    const qint64 count = std::clamp<qint64>(
        arguments.value(QLatin1String("instructionCount")).toInteger(0), 0, 1000);
    const qint64 first = reference.trimmed().toInt() +
                         arguments.value(QLatin1String("offset")).toInteger(0) +
                         arguments.value(QLatin1String("instructionOffset")).toInteger(0);
    QJsonArray instructions;
    const QFileInfo file(session.options().program);
    for (qint64 address = first; address < first + count; ++address) {
        if (address < 0 || address >= machine::kMemorySize) {
            instructions.append(
                QJsonObject{{QStringLiteral("address"), QString::number(address)},
                            {QStringLiteral("instruction"), QStringLiteral("(outside the memory)")},
                            {QStringLiteral("presentationHint"), QStringLiteral("invalid")}});
            continue;
        }
        const qint32 cell = qint32(address);
        QJsonObject row{{QStringLiteral("address"), program::addressText(cell)},
                        {QStringLiteral("instructionBytes"), session.processor().word(cell)},
                        {QStringLiteral("instruction"), describeCell(session, cell).mid(4)}};
        if (!session.program().labels.value(cell).isEmpty())
            row.insert(QStringLiteral("symbol"), session.program().labels.value(cell));
        if (const qint32 line = session.lineOf(cell); line > 0) {
            row.insert(QStringLiteral("line"), clientLine(line));
            row.insert(QStringLiteral("location"),
                       QJsonObject{{QStringLiteral("name"), file.fileName()},
                                   {QStringLiteral("path"), file.absoluteFilePath()}});
        }
        instructions.append(row);
    }
    respond(request, {{QStringLiteral("instructions"), instructions}});
}

void Adapter::configurationDone(const QJsonObject &request, const QJsonObject &)
{
    if (configured) {
        fail(request, QStringLiteral("The configuration is already done."));
        return;
    }
    configured = true;
    respond(request);
    if (launched)
        start();
}

void Adapter::start()
{
    started = true;
    if (session.options().stopOnEntry && !session.options().noDebug) {
        session.paused();
        report(Stop{Stop::Entry, {}, {}, {}}, Resume::Step);
        return;
    }
    running_ = true;
}

void Adapter::runChunk()
{
    if (!running_)
        return;
    chunkTimer.start();
    const std::optional<Stop> stop = session.runFor(chunkSteps);
    sendConsole();
    // The next stretch is fitted to take about kChunkMilliseconds, its output
    // sent: a program that puts out a value every few steps gets short stretches.
    const qint64 elapsed = chunkTimer.elapsed();
    if (elapsed < kChunkMilliseconds / 2)
        chunkSteps = std::min(chunkSteps * 2, kMaxChunkSteps);
    else if (elapsed > kChunkMilliseconds * 2)
        chunkSteps =
            std::max(chunkSteps * quint64(kChunkMilliseconds) / quint64(elapsed), kMinChunkSteps);
    if (stop) {
        running_ = false;
        report(*stop, Resume::Continue);
    }
}

void Adapter::report(const Stop &stop, Resume resume)
{
    sendConsole();
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
    case Stop::Breakpoint: {
        QJsonArray ids;
        for (const qint32 id : stop.breakpointIds)
            ids.append(id);
        stopped(QStringLiteral("breakpoint"), {}, {{QStringLiteral("hitBreakpointIds"), ids}});
        break;
    }
    case Stop::Input:
        inputResume = resume;
        stopped(QStringLiteral("pause"), stop.description);
        break;
    case Stop::DataBreakpoint: {
        QJsonArray ids;
        for (const qint32 id : stop.breakpointIds)
            ids.append(id);
        stopped(QStringLiteral("data breakpoint"), stop.description,
                {{QStringLiteral("hitBreakpointIds"), ids}});
        break;
    }
    case Stop::RunError:
    case Stop::StepLimit:
        // Without its exception filter, a run error or the step limit ends
        // the session as it does without debugging.
        if (session.options().noDebug ||
            !(stop.reason == Stop::RunError ? stopAtRunError : stopAtStepLimit)) {
            end(stop.reason == Stop::RunError ? program::RunFailed : program::StepLimitReached);
            break;
        }
        exception = stop;
        stopped(QStringLiteral("exception"), stop.description);
        break;
    case Stop::Halted:
        // Stopped once after the halt, so that the run can be gone through
        // backwards from its end; going forwards from there ends it.
        if (session.options().noDebug)
            end(program::Success);
        else
            stopped(QStringLiteral("step"), QStringLiteral("halted"));
        break;
    }
}

void Adapter::end(int exitCode)
{
    running_ = false;
    ended = true;
    event(QStringLiteral("exited"), {{QStringLiteral("exitCode"), exitCode}});
    event(QStringLiteral("terminated"));
}

bool Adapter::needsStopped(const QJsonObject &request)
{
    if (!launched || !started) {
        fail(request, QStringLiteral("No program is running yet: launch one first."));
        return false;
    }
    if (ended) {
        fail(request, QStringLiteral("The program has ended."));
        return false;
    }
    if (running_) {
        fail(request, QStringLiteral("The program is running: pause it first."));
        return false;
    }
    return true;
}

void Adapter::threads(const QJsonObject &request, const QJsonObject &)
{
    respond(request, {{QStringLiteral("threads"),
                       QJsonArray{QJsonObject{{QStringLiteral("id"), kThread},
                                              {QStringLiteral("name"), QStringLiteral("main")}}}}});
}

void Adapter::stackTrace(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    // After the halt the frame stays at the halt instruction, which does not branch.
    const qint32 pc = session.processor().pc() - (session.halted() ? 1 : 0);
    const qint32 line = session.lineOf(pc);
    QJsonObject frame{{QStringLiteral("id"), kFrame},
                      {QStringLiteral("column"), columnsStartAt1 ? 1 : 0}};
    if (machine::isAddress(pc)) {
        frame.insert(QStringLiteral("instructionPointerReference"), program::addressText(pc));
        frame.insert(QStringLiteral("name"), describeCell(session, pc));
    } else {
        frame.insert(QStringLiteral("name"),
                     QStringLiteral("program counter %1, outside the memory").arg(pc));
    }
    if (line > 0) {
        const QFileInfo file(session.options().program);
        frame.insert(QStringLiteral("source"),
                     QJsonObject{{QStringLiteral("name"), file.fileName()},
                                 {QStringLiteral("path"), file.absoluteFilePath()}});
        frame.insert(QStringLiteral("line"), clientLine(line));
    } else {
        frame.insert(QStringLiteral("line"), 0);
        frame.insert(QStringLiteral("presentationHint"), QStringLiteral("subtle"));
    }
    respond(request, {{QStringLiteral("stackFrames"), QJsonArray{frame}},
                      {QStringLiteral("totalFrames"), 1}});
}

void Adapter::scopes(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    const auto scope = [](const QString &name, Scope reference, qsizetype count,
                          const QString &hint) {
        QJsonObject json{{QStringLiteral("name"), name},
                         {QStringLiteral("variablesReference"), qint64(reference)},
                         {QStringLiteral("namedVariables"), qint64(count)},
                         {QStringLiteral("expensive"), false}};
        if (!hint.isEmpty())
            json.insert(QStringLiteral("presentationHint"), hint);
        return json;
    };
    respond(
        request,
        {{QStringLiteral("scopes"),
          QJsonArray{scope(QStringLiteral("Registers"), Registers, 6, QStringLiteral("registers")),
                     scope(QStringLiteral("Labels"), Labels, session.labels().size(), {}),
                     scope(QStringLiteral("Memory"), Memory, machine::kMemorySize, {})}}});
}

QJsonArray Adapter::registerVariables() const
{
    QJsonArray list;
    for (const Register &row : registerTable())
        list.append(variable(row.name, registerValue(session, row.which), row.evaluateName));
    return list;
}

QJsonArray Adapter::labelVariables() const
{
    QJsonArray list;
    for (const Label &label : session.labels())
        list.append(variable(label.name, describeLabel(session, label), label.name));
    return list;
}

QJsonArray Adapter::memoryVariables() const
{
    QJsonArray list;
    for (qint32 address = 0; address < machine::kMemorySize; ++address)
        list.append(variable(cellName(session, address), session.processor().word(address),
                             QLatin1Char('[') + program::addressText(address) + QLatin1Char(']')));
    return list;
}

void Adapter::variables(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!needsStopped(request))
        return;
    QJsonArray list;
    switch (arguments.value(QLatin1String("variablesReference")).toInteger(0)) {
    case Registers:
        list = registerVariables();
        break;
    case Labels:
        list = labelVariables();
        break;
    case Memory:
        list = memoryVariables();
        break;
    default:
        fail(request, QStringLiteral("There are no such variables."));
        return;
    }
    respond(request, {{QStringLiteral("variables"), list}});
}

void Adapter::invalidate()
{
    if (clientInvalidates)
        event(QStringLiteral("invalidated"),
              {{QStringLiteral("areas"), QJsonArray{QStringLiteral("variables")}},
               {QStringLiteral("threadId"), kThread}});
}

void Adapter::setVariable(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!needsStopped(request))
        return;
    const qint64 reference = arguments.value(QLatin1String("variablesReference")).toInteger(0);
    const QString name = arguments.value(QLatin1String("name")).toString();
    const QString value = arguments.value(QLatin1String("value")).toString();
    std::optional<Target> target;
    switch (reference) {
    case Registers:
        target = registerTarget(name);
        break;
    case Labels:
        target = parseTarget(session, name);
        break;
    case Memory:
        target = cellTarget(name);
        break;
    default:
        break;
    }
    if (!target) {
        fail(request, QStringLiteral("There is no variable '%1' here.").arg(name));
        return;
    }
    const QString refused = assign(session, *target, value);
    if (!refused.isEmpty()) {
        fail(request, refused);
        return;
    }
    QString shown = valueOf(session, *target);
    if (reference == Memory)
        shown = session.processor().word(target->address);
    respond(request, {{QStringLiteral("value"), shown}});
    invalidate();
}

void Adapter::evaluate(const QJsonObject &request, const QJsonObject &arguments)
{
    const QString expression = arguments.value(QLatin1String("expression")).toString();
    const QString context = arguments.value(QLatin1String("context")).toString();
    if (!needsStopped(request))
        return;
    // While an input waits, what is typed in the console is its value.
    if (context == QLatin1String("repl") && session.waitingForInput()) {
        const Stop stop = session.type(expression);
        sendConsole(); // "Invalid input." before the answer
        respond(request,
                {{QStringLiteral("result"), QString()}, {QStringLiteral("variablesReference"), 0}});
        if (stop.reason == Stop::Input)
            return; // still waiting: no value was a number
        if (stop.reason == Stop::Step && inputResume == Resume::Continue) {
            event(QStringLiteral("continued"), {{QStringLiteral("threadId"), kThread},
                                                {QStringLiteral("allThreadsContinued"), true}});
            running_ = true;
            return;
        }
        report(stop, Resume::Step);
        return;
    }
    const std::optional<Target> target = parseTarget(session, expression);
    // Gone back before an input whose value was typed: values typed in the
    // console replace it, which changes the past.
    if (!target && context == QLatin1String("repl") && session.atRecordedInput()) {
        const Stop stop = session.retype(expression);
        sendConsole();
        respond(request,
                {{QStringLiteral("result"), QString()}, {QStringLiteral("variablesReference"), 0}});
        report(stop, Resume::Step);
        return;
    }
    if (!target) {
        fail(request,
             QStringLiteral("There is no label, cell or register '%1'.").arg(expression.trimmed()));
        return;
    }
    respond(request, {{QStringLiteral("result"), valueOf(session, *target)},
                      {QStringLiteral("variablesReference"), 0}});
}

void Adapter::continueRun(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    respond(request, {{QStringLiteral("allThreadsContinued"), true}});
    if (endsHere())
        return;
    if (session.waitingForInput()) {
        report(session.runFor(0).value_or(Stop{}), Resume::Continue);
        return;
    }
    running_ = true;
}

void Adapter::stepOne(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    respond(request);
    if (endsHere())
        return;
    report(session.step(), Resume::Step);
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

void Adapter::stepBack(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    respond(request);
    report(session.stepBack(), Resume::Step);
}

void Adapter::reverseContinue(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    respond(request);
    report(session.reverseContinue(), Resume::Continue);
}

void Adapter::pause(const QJsonObject &request, const QJsonObject &)
{
    respond(request);
    if (!running_)
        return;
    running_ = false;
    session.paused();
    report(Stop{Stop::Pause, {}, {}, {}}, Resume::Continue);
}

void Adapter::restart(const QJsonObject &request, const QJsonObject &arguments)
{
    if (!launched) {
        fail(request, QStringLiteral("No program is running yet: launch one first."));
        return;
    }
    QStringList errorLines;
    bool loaded = false;
    const QJsonValue changed = arguments.value(QLatin1String("arguments"));
    if (changed.isObject()) {
        QString problem;
        const std::optional<LaunchOptions> options = launchOptions(changed.toObject(), problem);
        if (!options) {
            fail(request, problem);
            return;
        }
        loaded = session.launch(*options, errorLines);
    } else {
        loaded = session.restart(errorLines);
    }
    if (!loaded) {
        for (const QString &line : errorLines)
            output(QStringLiteral("stderr"), line + QLatin1Char('\n'));
        fail(request, firstAssemblyError(session.options().program, errorLines.value(0)).text);
        return;
    }
    running_ = false;
    ended = false;
    exception.reset();
    respond(request);
    sendConsole();
    for (const LineBreakpoint &placed : session.breakpoints().lines())
        event(QStringLiteral("breakpoint"),
              {{QStringLiteral("reason"), QStringLiteral("changed")},
               {QStringLiteral("breakpoint"), breakpointJson(placed)}});
    start();
}

void Adapter::terminate(const QJsonObject &request, const QJsonObject &)
{
    respond(request);
    if (ended)
        return;
    running_ = false;
    ended = true;
    event(QStringLiteral("terminated"));
}

void Adapter::disconnect(const QJsonObject &request, const QJsonObject &)
{
    running_ = false;
    finished_ = true;
    respond(request);
}

void Adapter::exceptionInfo(const QJsonObject &request, const QJsonObject &)
{
    if (!needsStopped(request))
        return;
    if (!exception) {
        fail(request, QStringLiteral("The program did not stop at an error."));
        return;
    }
    QStringList details{exception->description};
    details += exception->notes;
    respond(request,
            {{QStringLiteral("exceptionId"), exception->reason == Stop::RunError
                                                 ? QStringLiteral("run error")
                                                 : QStringLiteral("step limit")},
             {QStringLiteral("description"), exception->description},
             {QStringLiteral("breakMode"), QStringLiteral("always")},
             {QStringLiteral("details"),
              QJsonObject{{QStringLiteral("message"), details.join(QLatin1Char('\n'))},
                          {QStringLiteral("typeName"), exception->reason == Stop::RunError
                                                           ? QStringLiteral("run error")
                                                           : QStringLiteral("step limit")}}}});
}

} // namespace dap
