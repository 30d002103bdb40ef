#pragma once

// The Debug Adapter Protocol on top of a debug session: each request read is
// answered, and what the run does is told as events. Free of any transport:
// messages come in as bytes of JSON and go out through a callback, so that
// the tests and the fuzz target drive it directly.
//
// A run goes on in stretches (runChunk) between which the caller reads what
// has come in, so that a pause is answered while the program runs.

#include "dap/session.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>

#include <functional>
#include <optional>

namespace dap
{

class Adapter
{
public:
    using Send = std::function<void(const QJsonObject &message)>;

    explicit Adapter(Send send);

    // One message's JSON, as the framing delivered it.
    void handle(const QByteArray &body);
    // A message that could not be read at all: the reason goes to the debug console.
    void refuse(const QString &problem);

    // The program runs: runChunk() takes it a stretch further.
    bool running() const { return running_; }
    void runChunk();
    // The client asked to disconnect: nothing more is to be read.
    bool finished() const { return finished_; }

private:
    enum class Resume : quint8 { Continue, Step };

    using Handler = void (Adapter::*)(const QJsonObject &request, const QJsonObject &arguments);
    static const QHash<QString, Handler> &handlers();

    void initialize(const QJsonObject &request, const QJsonObject &arguments);
    void launch(const QJsonObject &request, const QJsonObject &arguments);
    void setBreakpoints(const QJsonObject &request, const QJsonObject &arguments);
    void configurationDone(const QJsonObject &request, const QJsonObject &arguments);
    void threads(const QJsonObject &request, const QJsonObject &arguments);
    void stackTrace(const QJsonObject &request, const QJsonObject &arguments);
    void scopes(const QJsonObject &request, const QJsonObject &arguments);
    void variables(const QJsonObject &request, const QJsonObject &arguments);
    void setVariable(const QJsonObject &request, const QJsonObject &arguments);
    void evaluate(const QJsonObject &request, const QJsonObject &arguments);
    void continueRun(const QJsonObject &request, const QJsonObject &arguments);
    void stepOne(const QJsonObject &request, const QJsonObject &arguments);
    void stepBack(const QJsonObject &request, const QJsonObject &arguments);
    void reverseContinue(const QJsonObject &request, const QJsonObject &arguments);
    void pause(const QJsonObject &request, const QJsonObject &arguments);
    void restart(const QJsonObject &request, const QJsonObject &arguments);
    void terminate(const QJsonObject &request, const QJsonObject &arguments);
    void disconnect(const QJsonObject &request, const QJsonObject &arguments);
    void exceptionInfo(const QJsonObject &request, const QJsonObject &arguments);
    void setInstructionBreakpoints(const QJsonObject &request, const QJsonObject &arguments);
    void setFunctionBreakpoints(const QJsonObject &request, const QJsonObject &arguments);
    void dataBreakpointInfo(const QJsonObject &request, const QJsonObject &arguments);
    void setDataBreakpoints(const QJsonObject &request, const QJsonObject &arguments);
    void setExceptionBreakpoints(const QJsonObject &request, const QJsonObject &arguments);
    void gotoTargets(const QJsonObject &request, const QJsonObject &arguments);
    void gotoRequest(const QJsonObject &request, const QJsonObject &arguments);
    void disassemble(const QJsonObject &request, const QJsonObject &arguments);
    static BreakpointOptions breakpointOptions(const QJsonObject &breakpoint);

    // Requests that need a program launched and stopped; false after an error response.
    bool needsStopped(const QJsonObject &request);
    // Going forwards from a halt or a run error ends the session; true when it did.
    bool endsHere();

    void respond(const QJsonObject &request, const QJsonObject &body = {});
    void fail(const QJsonObject &request, const QString &message, const QJsonObject &error = {});
    void event(const QString &name, const QJsonObject &body = {});
    void sendConsole();
    void output(const QString &category, const QString &text);

    void start();
    void report(const Stop &stop, Resume resume);
    void end(int exitCode);
    QJsonObject breakpointJson(const LineBreakpoint &breakpoint) const;
    QJsonArray registerVariables() const;
    QJsonArray labelVariables() const;
    QJsonArray memoryVariables() const;
    qint32 clientLine(qint32 line) const;
    qint32 programLine(qint32 line) const;
    bool isProgram(const QString &path) const;
    QString notTheProgram() const;
    void invalidate();

    Send send;
    Session session;
    qint64 seq = 1;
    bool initialized = false;
    bool linesStartAt1 = true;
    bool columnsStartAt1 = true;
    bool clientInvalidates = false;
    bool launched = false;
    bool configured = false;
    bool started = false;
    bool ended = false;
    bool running_ = false;
    bool finished_ = false;
    Resume inputResume = Resume::Step;
    std::optional<Stop> exception; // the run error or step limit the program stopped at
    // The exception filters: whether a run error or the step limit stops the
    // program (else it ends the session).
    bool stopAtRunError = true;
    bool stopAtStepLimit = true;
    // Breakpoints asked for before the launch, by source path, placed once
    // the program is read.
    QHash<QString, QList<LineBreakpoint>> earlyBreakpoints;
    // Steps per stretch of a run, fitted to how long a stretch takes.
    quint64 chunkSteps = 1 << 10; // small at first: a program may put out a value every step
    QElapsedTimer chunkTimer;
};

} // namespace dap
