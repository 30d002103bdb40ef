#include "run/programdiagnostics.h"

#include "program/program.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace run
{

namespace
{

ProgramDiagnostics check(const Options &options, qsizetype index)
{
    ProgramDiagnostics checked;
    checked.path = options.programFiles.at(index);
    program::Program program;
    QString error;
    checked.status = readProgram(options, index, program, error);
    checked.name = program.name;
    checked.text = program.text;
    if (checked.status == program::ProgramNotText && program.errors.isEmpty()) {
        checked.errors.append(diagnostics::Diagnostic(
            diagnostics::Severity::Error, diagnostics::Code::ProgramTooLarge, {},
            QStringLiteral("the file is larger than 1 MiB, too large to be a program")));
    } else if (checked.status != program::Success) {
        checked.errors = program.errors;
        if (checked.errors.isEmpty())
            checked.message = error;
    } else if (!program.assemble(error)) {
        checked.status = program::AssemblyFailed;
        checked.errors = program.errors;
    } else {
        checked.assembled = true;
        if (options.warnings)
            checked.warnings = program.warnings;
    }
    return checked;
}

} // namespace

QList<ProgramDiagnostics> checkPrograms(const Options &options)
{
    QList<ProgramDiagnostics> programs;
    for (qsizetype index = 0; index < options.programCount(); ++index)
        programs.append(check(options, index));
    return programs;
}

QByteArray diagnosticsJson(const QList<ProgramDiagnostics> &programs)
{
    QJsonArray files;
    for (const ProgramDiagnostics &checked : programs)
        files.append(QJsonObject{
            {QLatin1String("file"), checked.name},
            {QLatin1String("path"), checked.path},
            {QLatin1String("assembled"), checked.assembled},
            {QLatin1String("message"), checked.message.isEmpty() ? QJsonValue(QJsonValue::Null)
                                                                 : QJsonValue(checked.message)},
            {QLatin1String("errors"), diagnostics::toJson(checked.errors)},
            {QLatin1String("warnings"), diagnostics::toJson(checked.warnings)}});
    return QJsonDocument(QJsonObject{{QLatin1String("files"), files}})
        .toJson(QJsonDocument::Indented);
}

} // namespace run
