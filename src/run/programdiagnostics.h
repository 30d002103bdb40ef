#pragma once

// --assemble --diagnostics-format: what each FILE's check found, for tools
// (CI annotations, editors without a language client, teachers' scripts),
// as JSON or as a SARIF log on standard output in place of the image.

#include "diagnostics/diagnostic.h"
#include "program/exitstatus.h"
#include "run/options.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace run
{

// One FILE checked.
struct ProgramDiagnostics {
    QString path;    // as given on the command line
    QString name;    // as messages show it
    QString text;    // as read; a text that is not UTF-8 with U+FFFD for each bad sequence
    QString message; // why the FILE could not be read at all; empty when it was
    bool assembled = false;
    // Why it does not assemble, or that it is no UTF-8 text or too large;
    // then the warnings about a program that assembles. Notes follow each.
    QList<diagnostics::Diagnostic> errors;
    QList<diagnostics::Diagnostic> warnings;
    program::ExitStatus status = program::Success; // as --assemble ends for this FILE alone
};

// Every FILE of the options read and assembled; warnings only when the
// options keep them.
QList<ProgramDiagnostics> checkPrograms(const Options &options);

// {"files": [{"file", "path", "assembled", "message", "errors": [DIAGNOSTIC],
// "warnings": [DIAGNOSTIC]}]}, a DIAGNOSTIC as the JSON report of --test
// writes it (diagnostics::toJson()), each followed by its notes.
QByteArray diagnosticsJson(const QList<ProgramDiagnostics> &programs);

// A SARIF 2.1.0 log of one run: a result per diagnostic and per note, its
// kind the rule, columns in UTF-16 code units, fixes as artifact changes.
// Relative paths are resolved against `workingFolder`, an absolute path.
QByteArray diagnosticsSarif(const QList<ProgramDiagnostics> &programs,
                            const QString &workingFolder);

} // namespace run
