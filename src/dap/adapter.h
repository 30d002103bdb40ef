#pragma once

// The Debug Adapter Protocol on top of a debug session: each request read is
// answered, and what the run does is told as events. Free of any transport:
// messages come in as bytes of JSON and go out through a callback, so that
// the tests and the fuzz target drive it directly.
//
// The requests are handled by concern, one file each: launch and
// configuration, breakpoints, execution, inspection. A handler takes its
// arguments read once into a type of its own, and answers or throws a Refusal.
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

// Why a request is refused: what the client shows, and the values that the
// text names (a launch error's line and column).
struct Refusal {
    QString message;
    QJsonObject variables = {};
};

// The arguments of a request that takes none.
struct NoArguments {
    static NoArguments read(const QJsonObject &) { return {}; }
};

struct InitializeArguments;
struct LaunchArguments;
struct RestartArguments;
struct SourceBreakpointArguments;
struct InstructionBreakpointArguments;
struct FunctionBreakpointArguments;
struct DataBreakpointInfoArguments;
struct DataBreakpointArguments;
struct ExceptionFilterArguments;
struct GotoTargetsArguments;
struct GotoArguments;
struct VariablesArguments;
struct SetVariableArguments;
struct EvaluateArguments;
struct DisassembleArguments;

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
    bool running() const { return phase == Phase::Running || phase == Phase::Reversing; }
    void runChunk();
    // The client asked to disconnect: nothing more is to be read.
    bool finished() const { return phase == Phase::Disconnected; }

private:
    // Where the session is in its life. The launch and configurationDone
    // come in either order; the program starts once both have come.
    enum class Phase : quint8 {
        Uninitialized, // initialize has not come yet
        Initialized,   // neither the launch nor configurationDone has come
        Configured,    // configurationDone has come, the launch not yet
        Launched,      // the launch has come, configurationDone not yet
        Stopped,       // the program rests at a stop
        Running,       // the program runs a stretch at a time
        Reversing,     // reverseContinue goes back a stretch at a time
        Ended,         // the program has ended or was terminated
        Disconnected,  // nothing more is read
    };
    // The program is the one thread, with one stack frame.
    static constexpr qint64 kThread = 1;
    // Variable references of the three scopes.
    enum Scope : qint64 { Registers = 1, Labels = 2, Memory = 3 };
    // How a run that waits for an input goes on once the value is typed.
    enum class AfterInput : quint8 { Continue, Step };

    using Handler = std::function<void(Adapter &, const QJsonObject &arguments)>;
    using Handlers = QHash<QString, Handler>;
    static const Handlers &handlers();
    // A handler whose arguments are read by Arguments::read, which throws a
    // Refusal for arguments it cannot use.
    template <typename Arguments>
    static void add(Handlers &handlers, const char *command,
                    void (Adapter::*handler)(const Arguments &))
    {
        handlers.insert(QLatin1String(command),
                        [handler](Adapter &adapter, const QJsonObject &arguments) {
                            (adapter.*handler)(Arguments::read(arguments));
                        });
    }
    static void addLaunchRequests(Handlers &handlers);
    static void addBreakpointRequests(Handlers &handlers);
    static void addExecutionRequests(Handlers &handlers);
    static void addInspectionRequests(Handlers &handlers);

    // Launch and configuration.
    void initialize(const InitializeArguments &arguments);
    void launch(const LaunchArguments &arguments);
    void configurationDone(const NoArguments &);
    void restart(const RestartArguments &arguments);
    void terminate(const NoArguments &);
    void disconnect(const NoArguments &);
    void announce(const QList<LineBreakpoint> &breakpoints);
    [[noreturn]] void refuseLaunch(const LaunchError &error);

    // Breakpoints.
    void setBreakpoints(const SourceBreakpointArguments &arguments);
    void setInstructionBreakpoints(const InstructionBreakpointArguments &arguments);
    void setFunctionBreakpoints(const FunctionBreakpointArguments &arguments);
    void dataBreakpointInfo(const DataBreakpointInfoArguments &arguments);
    void setDataBreakpoints(const DataBreakpointArguments &arguments);
    void setExceptionBreakpoints(const ExceptionFilterArguments &arguments);
    QJsonObject breakpointJson(const LineBreakpoint &breakpoint) const;

    // Execution.
    void continueRun(const NoArguments &);
    void stepOne(const NoArguments &);
    void stepBack(const NoArguments &);
    void reverseContinue(const NoArguments &);
    void pause(const NoArguments &);
    void gotoTargets(const GotoTargetsArguments &arguments);
    void gotoRequest(const GotoArguments &arguments);
    void start();
    void stretch(Resume resume);
    void report(const Stop &stop, AfterInput afterInput);
    bool endsHere();
    void end(int exitCode);

    // Inspection.
    void threads(const NoArguments &);
    void stackTrace(const NoArguments &);
    void scopes(const NoArguments &);
    void variables(const VariablesArguments &arguments);
    void setVariable(const SetVariableArguments &arguments);
    void evaluate(const EvaluateArguments &arguments);
    void exceptionInfo(const NoArguments &);
    void disassemble(const DisassembleArguments &arguments);

    // What goes to the client; console lines the session made go first, so
    // that output keeps its place among the other messages.
    void respond(const QJsonObject &body = {});
    void fail(const Refusal &refusal);
    void event(const QString &name, const QJsonObject &body = {});
    void output(const QString &category, const QString &text);
    void post(QJsonObject message);
    void sendConsole();

    // Refuses a request that needs the program started and resting at a stop.
    void requireStopped() const;
    void requireLaunched() const;
    qint32 clientLine(qint32 line) const { return linesStartAt1 ? line : line - 1; }
    qint32 programLine(qint32 line) const { return linesStartAt1 ? line : line + 1; }
    QJsonObject source() const;
    bool isProgram(const QString &path) const;
    QString notTheProgram() const;

    Send send;
    Session session;
    Phase phase = Phase::Uninitialized;
    qint64 seq = 1;
    QJsonObject request; // the request being answered
    bool linesStartAt1 = true;
    bool columnsStartAt1 = true;
    bool clientInvalidates = false;
    AfterInput afterInput = AfterInput::Step;
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
