// Inspection: the thread, its frame, the scopes and their variables, the
// values the console evaluates (or types, while an input waits), the run
// error stopped at, and the memory disassembled.

#include "dap/adapter.h"
#include "dap/expression.h"
#include "machine/instructionset.h"
#include "machine/typedinput.h"

#include <QRegularExpression>

namespace dap
{

namespace
{

// Said in the console when a line typed while an input waits was evaluated.
const QString kHowToType =
    QStringLiteral("The input waits for a value: type a number, such as 42, to give it. "
                   "Anything else is evaluated.\n");

QJsonObject variable(const QString &name, const QString &value, const QString &evaluateName)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("value"), value},
            {QStringLiteral("evaluateName"), evaluateName},
            {QStringLiteral("variablesReference"), 0}};
}

} // namespace

struct VariablesArguments {
    qint64 variablesReference = 0;

    static VariablesArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("variablesReference")).toInteger(0)};
    }
};

struct SetVariableArguments {
    qint64 variablesReference = 0;
    QString name;
    QString value;

    static SetVariableArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("variablesReference")).toInteger(0),
                json.value(QLatin1String("name")).toString(),
                json.value(QLatin1String("value")).toString()};
    }
};

struct EvaluateArguments {
    QString expression;
    bool inConsole = false; // typed in the debug console, not a watch or a hover

    static EvaluateArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("expression")).toString(),
                json.value(QLatin1String("context")).toString() == QLatin1String("repl")};
    }
};

// The memory from a reference ("07") moved by the instruction offset.
struct DisassembleArguments {
    std::optional<qint64> first; // none when the reference is no address
    QString reference;
    qint64 count = 0;

    static DisassembleArguments read(const QJsonObject &json)
    {
        static const QRegularExpression number(QStringLiteral("^\\s*\\d{1,3}\\s*$"));
        DisassembleArguments arguments;
        arguments.reference = json.value(QLatin1String("memoryReference")).toString();
        if (number.match(arguments.reference).hasMatch())
            arguments.first = arguments.reference.trimmed().toInt() +
                              json.value(QLatin1String("offset")).toInteger(0) +
                              json.value(QLatin1String("instructionOffset")).toInteger(0);
        arguments.count =
            std::clamp<qint64>(json.value(QLatin1String("instructionCount")).toInteger(0), 0, 1000);
        return arguments;
    }
};

void Adapter::addInspectionRequests(Handlers &handlers)
{
    add(handlers, "threads", &Adapter::threads);
    add(handlers, "stackTrace", &Adapter::stackTrace);
    add(handlers, "scopes", &Adapter::scopes);
    add(handlers, "variables", &Adapter::variables);
    add(handlers, "setVariable", &Adapter::setVariable);
    add(handlers, "evaluate", &Adapter::evaluate);
    add(handlers, "exceptionInfo", &Adapter::exceptionInfo);
    add(handlers, "disassemble", &Adapter::disassemble);
}

void Adapter::threads(const NoArguments &)
{
    respond({{QStringLiteral("threads"),
              QJsonArray{QJsonObject{{QStringLiteral("id"), kThread},
                                     {QStringLiteral("name"), QStringLiteral("main")}}}}});
}

void Adapter::stackTrace(const NoArguments &)
{
    requireStopped();
    // After the halt the frame stays at the halt instruction, which does not branch.
    const qint32 pc = session.processor().pc() - (session.halted() ? 1 : 0);
    const qint32 line = session.program().lineNumberOf(pc);
    QJsonObject frame{{QStringLiteral("id"), 1},
                      {QStringLiteral("column"), columnsStartAt1 ? 1 : 0}};
    if (machine::isAddress(pc)) {
        frame.insert(QStringLiteral("instructionPointerReference"), program::addressText(pc));
        frame.insert(QStringLiteral("name"), describeCell(session, pc));
    } else {
        frame.insert(QStringLiteral("name"),
                     QStringLiteral("program counter %1, outside the memory").arg(pc));
    }
    if (line > 0) {
        frame.insert(QStringLiteral("source"), source());
        frame.insert(QStringLiteral("line"), clientLine(line));
    } else {
        frame.insert(QStringLiteral("line"), 0);
        frame.insert(QStringLiteral("presentationHint"), QStringLiteral("subtle"));
    }
    respond(
        {{QStringLiteral("stackFrames"), QJsonArray{frame}}, {QStringLiteral("totalFrames"), 1}});
}

void Adapter::scopes(const NoArguments &)
{
    requireStopped();
    const QStringList &labels = session.program().labels; // empty for a line without one
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
        {{QStringLiteral("scopes"),
          QJsonArray{
              scope(QStringLiteral("Registers"), Registers, 6, QStringLiteral("registers")),
              scope(QStringLiteral("Labels"), Labels, labels.size() - labels.count(QString()), {}),
              scope(QStringLiteral("Memory"), Memory, machine::kMemorySize, {})}}});
}

void Adapter::variables(const VariablesArguments &arguments)
{
    requireStopped();
    QJsonArray list;
    switch (arguments.variablesReference) {
    case Registers:
        for (const Register &row : registerTable())
            list.append(variable(row.name, registerValue(session, row.which), row.evaluateName));
        break;
    case Labels:
        for (qint32 address = 0; address < session.program().labels.size(); ++address) {
            const QString &label = session.program().labels.at(address);
            if (!label.isEmpty())
                list.append(variable(label, describeLabel(session, address), label));
        }
        break;
    case Memory:
        for (qint32 address = 0; address < machine::kMemorySize; ++address)
            list.append(
                variable(cellName(session, address), session.processor().word(address),
                         QLatin1Char('[') + program::addressText(address) + QLatin1Char(']')));
        break;
    default:
        throw Refusal{QStringLiteral("There are no such variables.")};
    }
    respond({{QStringLiteral("variables"), list}});
}

void Adapter::setVariable(const SetVariableArguments &arguments)
{
    requireStopped();
    std::optional<Target> target;
    if (arguments.variablesReference == Registers)
        target = registerTarget(arguments.name);
    else if (arguments.variablesReference == Labels)
        target = parseTarget(session, arguments.name);
    else if (arguments.variablesReference == Memory)
        target = cellTarget(arguments.name);
    if (!target)
        throw Refusal{QStringLiteral("There is no variable '%1' here.").arg(arguments.name)};
    const QString refused = assign(session, *target, arguments.value);
    if (!refused.isEmpty())
        throw Refusal{refused};
    respond({{QStringLiteral("value"), arguments.variablesReference == Memory
                                           ? session.processor().word(target->address)
                                           : valueOf(session, *target)}});
    if (clientInvalidates)
        event(QStringLiteral("invalidated"),
              {{QStringLiteral("areas"), QJsonArray{QStringLiteral("variables")}},
               {QStringLiteral("threadId"), kThread}});
}

void Adapter::evaluate(const EvaluateArguments &arguments)
{
    requireStopped();
    const QJsonObject typed{{QStringLiteral("result"), QString()},
                            {QStringLiteral("variablesReference"), 0}};
    // While an input waits, a console line that reads as a typed number is
    // its value; any other is evaluated, and the console says how to type one.
    const bool inputWaits = arguments.inConsole && session.waitingForInput();
    if (inputWaits &&
        machine::readTypedInput(arguments.expression).kind != machine::TypedInput::Invalid) {
        const Stop stop = session.type(arguments.expression);
        respond(typed); // after "Invalid input." for a value that is no number
        if (stop.reason == Stop::Input)
            return; // still waiting: no value was a number
        if (stop.reason == Stop::Step && afterInput == AfterInput::Continue) {
            // The run goes on from an instruction no stop was reported at.
            event(QStringLiteral("continued"), {{QStringLiteral("threadId"), kThread},
                                                {QStringLiteral("allThreadsContinued"), true}});
            phase = Phase::Running;
            return;
        }
        report(stop, AfterInput::Step);
        return;
    }
    const std::optional<Target> target = parseTarget(session, arguments.expression);
    // Gone back before an input whose value was typed: values typed in the
    // console replace it, which changes the past.
    if (!target && arguments.inConsole && session.timeline().atRecordedInput()) {
        const Stop stop = session.timeline().retype(arguments.expression);
        respond(typed);
        report(stop, AfterInput::Step);
        return;
    }
    if (inputWaits)
        output(QStringLiteral("console"), kHowToType);
    if (!target)
        throw Refusal{QStringLiteral("There is no label, cell or register '%1'.")
                          .arg(arguments.expression.trimmed())};
    respond({{QStringLiteral("result"), valueOf(session, *target)},
             {QStringLiteral("variablesReference"), 0}});
}

void Adapter::exceptionInfo(const NoArguments &)
{
    requireStopped();
    if (!exception)
        throw Refusal{QStringLiteral("The program did not stop at an error.")};
    const QString kind = exception->reason == Stop::RunError ? QStringLiteral("run error")
                                                             : QStringLiteral("step limit");
    respond(
        {{QStringLiteral("exceptionId"), kind},
         {QStringLiteral("description"), exception->description},
         {QStringLiteral("breakMode"), QStringLiteral("always")},
         {QStringLiteral("details"),
          QJsonObject{
              {QStringLiteral("message"),
               (QStringList{exception->description} + exception->notes).join(QLatin1Char('\n'))},
              {QStringLiteral("typeName"), kind}}}});
}

// The memory as address, word and instruction; addresses outside the memory
// are shown as such, so that the client gets as many as it asked for.
void Adapter::disassemble(const DisassembleArguments &arguments)
{
    requireLaunched();
    if (!arguments.first)
        throw Refusal{
            QStringLiteral("'%1' is not an address from 00 to 99.").arg(arguments.reference)};
    QJsonArray instructions;
    const qint64 first = *arguments.first;
    for (qint64 address = first; address < first + arguments.count; ++address) {
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
        if (const qint32 line = session.program().lineNumberOf(cell); line > 0) {
            row.insert(QStringLiteral("line"), clientLine(line));
            row.insert(QStringLiteral("location"), source());
        }
        instructions.append(row);
    }
    respond({{QStringLiteral("instructions"), instructions}});
}

} // namespace dap
