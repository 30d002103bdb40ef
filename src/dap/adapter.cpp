#include "dap/adapter.h"

#include "jsonrpc/message.h"

#include <QFileInfo>

namespace dap
{

Adapter::Adapter(Send send) : send(std::move(send)) {}

const Adapter::Handlers &Adapter::handlers()
{
    static const Handlers table = [] {
        Handlers handlers;
        addLaunchRequests(handlers);
        addBreakpointRequests(handlers);
        addExecutionRequests(handlers);
        addInspectionRequests(handlers);
        return handlers;
    }();
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
    request = *parsed;
    if (request.value(QLatin1String("type")).toString() != QLatin1String("request")) {
        refuse(QStringLiteral("a message that is not a request was ignored"));
        return;
    }
    // A request is answered by its seq: one without it cannot be answered.
    if (!request.value(QLatin1String("seq")).isDouble()) {
        refuse(QStringLiteral("a request without a seq number was ignored"));
        return;
    }
    const QString command = request.value(QLatin1String("command")).toString();
    const QJsonValue arguments = request.value(QLatin1String("arguments"));
    try {
        const auto found = handlers().constFind(command);
        if (found == handlers().constEnd())
            throw Refusal{command.isEmpty() ? QStringLiteral("The request names no command.")
                                            : QStringLiteral("Unknown command '%1'.").arg(command)};
        if (phase == Phase::Uninitialized && command != QLatin1String("initialize") &&
            command != QLatin1String("disconnect"))
            throw Refusal{
                QStringLiteral("The session is not initialized: send 'initialize' first.")};
        if (!arguments.isUndefined() && !arguments.isNull() && !arguments.isObject())
            throw Refusal{QStringLiteral("The arguments of '%1' are not an object.").arg(command)};
        found.value()(*this, arguments.toObject());
    } catch (const Refusal &refusal) {
        fail(refusal);
    }
    sendConsole();
}

void Adapter::refuse(const QString &problem)
{
    output(QStringLiteral("stderr"), QStringLiteral("korvane-dap: ") + problem + QLatin1Char('\n'));
}

void Adapter::respond(const QJsonObject &body)
{
    QJsonObject response{
        {QStringLiteral("type"), QStringLiteral("response")},
        {QStringLiteral("request_seq"), request.value(QLatin1String("seq"))},
        {QStringLiteral("command"), request.value(QLatin1String("command")).toString()},
        {QStringLiteral("success"), true}};
    if (!body.isEmpty())
        response.insert(QStringLiteral("body"), body);
    post(response);
}

void Adapter::fail(const Refusal &refusal)
{
    QJsonObject shown{{QStringLiteral("id"), 1},
                      {QStringLiteral("format"), refusal.message},
                      {QStringLiteral("showUser"), true}};
    if (!refusal.variables.isEmpty())
        shown.insert(QStringLiteral("variables"), refusal.variables);
    post({{QStringLiteral("type"), QStringLiteral("response")},
          {QStringLiteral("request_seq"), request.value(QLatin1String("seq"))},
          {QStringLiteral("command"), request.value(QLatin1String("command")).toString()},
          {QStringLiteral("success"), false},
          {QStringLiteral("message"), refusal.message},
          {QStringLiteral("body"), QJsonObject{{QStringLiteral("error"), shown}}}});
}

void Adapter::event(const QString &name, const QJsonObject &body)
{
    QJsonObject message{{QStringLiteral("type"), QStringLiteral("event")},
                        {QStringLiteral("event"), name}};
    if (!body.isEmpty())
        message.insert(QStringLiteral("body"), body);
    post(message);
}

void Adapter::output(const QString &category, const QString &text)
{
    event(QStringLiteral("output"),
          {{QStringLiteral("category"), category}, {QStringLiteral("output"), text}});
}

void Adapter::post(QJsonObject message)
{
    sendConsole();
    message.insert(QStringLiteral("seq"), seq++);
    send(message);
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

void Adapter::requireStopped() const
{
    switch (phase) {
    case Phase::Stopped:
        return;
    case Phase::Running:
    case Phase::Reversing:
        throw Refusal{QStringLiteral("The program is running: pause it first.")};
    case Phase::Ended:
        throw Refusal{QStringLiteral("The program has ended.")};
    default:
        throw Refusal{QStringLiteral("No program is running yet: launch one first.")};
    }
}

void Adapter::requireLaunched() const
{
    if (!session.launched())
        throw Refusal{QStringLiteral("No program is running yet: launch one first.")};
}

// The program as the client names a source.
QJsonObject Adapter::source() const
{
    const QFileInfo file(session.options().program);
    return {{QStringLiteral("name"), file.fileName()},
            {QStringLiteral("path"), file.absoluteFilePath()}};
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

} // namespace dap
