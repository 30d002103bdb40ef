// Breakpoints: by line, by instruction, by function (a label), on data (a
// cell), and the exception filters.

#include "dap/adapter.h"
#include "dap/expression.h"

#include <QRegularExpression>

namespace dap
{

namespace
{

BreakpointOptions optionsOf(const QJsonObject &breakpoint)
{
    return {breakpoint.value(QLatin1String("condition")).toString(),
            breakpoint.value(QLatin1String("hitCondition")).toString(),
            breakpoint.value(QLatin1String("logMessage")).toString()};
}

QList<QJsonObject> objectsOf(const QJsonValue &list)
{
    QList<QJsonObject> objects;
    for (const QJsonValue &value : list.toArray())
        objects.append(value.toObject());
    return objects;
}

} // namespace

struct SourceBreakpointArguments {
    QString path;
    QList<qint32> lines; // as the client counts them
    QList<BreakpointOptions> options;

    static SourceBreakpointArguments read(const QJsonObject &json)
    {
        SourceBreakpointArguments arguments{
            json.value(QLatin1String("source")).toObject().value(QLatin1String("path")).toString(),
            {},
            {}};
        const QJsonValue breakpoints = json.value(QLatin1String("breakpoints"));
        for (const QJsonObject &breakpoint : objectsOf(breakpoints)) {
            arguments.lines.append(breakpoint.value(QLatin1String("line")).toInt(0));
            arguments.options.append(optionsOf(breakpoint));
        }
        // The older form: the lines alone.
        if (!breakpoints.isArray()) {
            for (const QJsonValue &line : json.value(QLatin1String("lines")).toArray())
                arguments.lines.append(line.toInt(0));
        }
        return arguments;
    }
};

struct InstructionBreakpointArguments {
    QStringList references;
    QList<qint32> offsets;
    QList<BreakpointOptions> options;

    static InstructionBreakpointArguments read(const QJsonObject &json)
    {
        InstructionBreakpointArguments arguments;
        for (const QJsonObject &breakpoint : objectsOf(json.value(QLatin1String("breakpoints")))) {
            arguments.references.append(
                breakpoint.value(QLatin1String("instructionReference")).toString());
            arguments.offsets.append(breakpoint.value(QLatin1String("offset")).toInt(0));
            arguments.options.append(optionsOf(breakpoint));
        }
        return arguments;
    }
};

struct FunctionBreakpointArguments {
    QStringList names;
    QList<BreakpointOptions> options;

    static FunctionBreakpointArguments read(const QJsonObject &json)
    {
        FunctionBreakpointArguments arguments;
        for (const QJsonObject &breakpoint : objectsOf(json.value(QLatin1String("breakpoints")))) {
            arguments.names.append(breakpoint.value(QLatin1String("name")).toString());
            arguments.options.append(optionsOf(breakpoint));
        }
        return arguments;
    }
};

struct DataBreakpointInfoArguments {
    QString name;
    qint64 variablesReference = 0;

    static DataBreakpointInfoArguments read(const QJsonObject &json)
    {
        return {json.value(QLatin1String("name")).toString(),
                json.value(QLatin1String("variablesReference")).toInteger(0)};
    }
};

// Each data breakpoint asked for: the cell it watches, or why it cannot be set.
struct DataBreakpointArguments {
    struct Asked {
        DataBreakpoint watch;
        QString refused;
    };
    QList<Asked> breakpoints;

    static DataBreakpointArguments read(const QJsonObject &json)
    {
        static const QRegularExpression cell(QStringLiteral("^cell:(\\d\\d)$"));
        DataBreakpointArguments arguments;
        for (const QJsonObject &breakpoint : objectsOf(json.value(QLatin1String("breakpoints")))) {
            const QRegularExpressionMatch match =
                cell.match(breakpoint.value(QLatin1String("dataId")).toString());
            const QString access = breakpoint.value(QLatin1String("accessType")).toString();
            Asked asked;
            if (!match.hasMatch())
                asked.refused = QStringLiteral("Only a cell can be watched.");
            else if (!access.isEmpty() && access != QLatin1String("write") &&
                     access != QLatin1String("readWrite"))
                asked.refused =
                    QStringLiteral("A cell is watched for 'write' or 'readWrite', not '%1'.")
                        .arg(access);
            else
                asked.watch = {0, match.captured(1).toInt(), access == QLatin1String("readWrite")};
            arguments.breakpoints.append(asked);
        }
        return arguments;
    }
};

struct ExceptionFilterArguments {
    bool runError = false;
    bool stepLimit = false;

    static ExceptionFilterArguments read(const QJsonObject &json)
    {
        const QJsonArray filters = json.value(QLatin1String("filters")).toArray();
        return {filters.contains(QStringLiteral("runError")),
                filters.contains(QStringLiteral("stepLimit"))};
    }
};

void Adapter::addBreakpointRequests(Handlers &handlers)
{
    add(handlers, "setBreakpoints", &Adapter::setBreakpoints);
    add(handlers, "setInstructionBreakpoints", &Adapter::setInstructionBreakpoints);
    add(handlers, "setFunctionBreakpoints", &Adapter::setFunctionBreakpoints);
    add(handlers, "dataBreakpointInfo", &Adapter::dataBreakpointInfo);
    add(handlers, "setDataBreakpoints", &Adapter::setDataBreakpoints);
    add(handlers, "setExceptionBreakpoints", &Adapter::setExceptionBreakpoints);
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

void Adapter::setBreakpoints(const SourceBreakpointArguments &arguments)
{
    QList<qint32> lines;
    for (const qint32 line : arguments.lines)
        lines.append(programLine(line));
    QList<LineBreakpoint> placed;
    QString unverified;
    if (arguments.path.isEmpty()) {
        unverified = QStringLiteral("The source has no path.");
    } else if (!session.launched()) {
        // Placed once the program is read; their events say where.
        placed = session.breakpoints().reserve(
            lines, QStringLiteral("The program is not launched yet."), arguments.options);
        earlyBreakpoints.insert(arguments.path, placed);
    } else if (!isProgram(arguments.path)) {
        unverified = notTheProgram();
    } else {
        placed = session.breakpoints().setLines(session.program(), lines, arguments.options);
    }
    QJsonArray answered;
    for (const LineBreakpoint &breakpoint : placed)
        answered.append(breakpointJson(breakpoint));
    if (!unverified.isEmpty()) {
        for (const qint32 line : lines)
            answered.append(QJsonObject{{QStringLiteral("verified"), false},
                                        {QStringLiteral("line"), clientLine(line)},
                                        {QStringLiteral("message"), unverified}});
    }
    respond({{QStringLiteral("breakpoints"), answered}});
}

void Adapter::setInstructionBreakpoints(const InstructionBreakpointArguments &arguments)
{
    QJsonArray answered;
    for (const LineBreakpoint &breakpoint : session.breakpoints().setInstructions(
             session.program(), arguments.references, arguments.offsets, arguments.options))
        answered.append(breakpointJson(breakpoint));
    respond({{QStringLiteral("breakpoints"), answered}});
}

void Adapter::setFunctionBreakpoints(const FunctionBreakpointArguments &arguments)
{
    QJsonArray answered;
    for (const LineBreakpoint &breakpoint :
         session.breakpoints().setFunctions(session.program(), arguments.names, arguments.options))
        answered.append(breakpointJson(breakpoint));
    respond({{QStringLiteral("breakpoints"), answered}});
}

// A cell can be watched, named by a label, "[NN]", or its name in the Memory scope.
void Adapter::dataBreakpointInfo(const DataBreakpointInfoArguments &arguments)
{
    std::optional<Target> target =
        session.launched() ? parseTarget(session, arguments.name) : std::nullopt;
    if (!target && arguments.variablesReference == Memory)
        target = cellTarget(arguments.name);
    if (!target || target->kind == Target::Register) {
        respond({{QStringLiteral("dataId"), QJsonValue::Null},
                 {QStringLiteral("description"),
                  QStringLiteral("Only a cell can be watched: a label, or a cell like [07].")}});
        return;
    }
    respond({{QStringLiteral("dataId"),
              QStringLiteral("cell:") + program::addressText(target->address)},
             {QStringLiteral("description"), cellName(session, target->address)},
             {QStringLiteral("accessTypes"),
              QJsonArray{QStringLiteral("write"), QStringLiteral("readWrite")}},
             {QStringLiteral("canPersist"), true}});
}

void Adapter::setDataBreakpoints(const DataBreakpointArguments &arguments)
{
    QList<DataBreakpoint> watched;
    for (const DataBreakpointArguments::Asked &asked : arguments.breakpoints) {
        if (asked.refused.isEmpty())
            watched.append(asked.watch);
    }
    const QList<DataBreakpoint> set = session.breakpoints().setData(watched);
    QJsonArray answered;
    qsizetype next = 0;
    for (const DataBreakpointArguments::Asked &asked : arguments.breakpoints) {
        if (asked.refused.isEmpty())
            answered.append(QJsonObject{{QStringLiteral("id"), set.at(next++).id},
                                        {QStringLiteral("verified"), true}});
        else
            answered.append(QJsonObject{{QStringLiteral("verified"), false},
                                        {QStringLiteral("message"), asked.refused}});
    }
    respond({{QStringLiteral("breakpoints"), answered}});
}

void Adapter::setExceptionBreakpoints(const ExceptionFilterArguments &arguments)
{
    stopAtRunError = arguments.runError;
    stopAtStepLimit = arguments.stepLimit;
    respond();
}

} // namespace dap
