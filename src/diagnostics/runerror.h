#pragma once

// The error that ended a run, in korvane-run's words.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"
#include "machine/fault.h"

#include <QString>
#include <QtGlobal>

namespace diagnostics
{

// A fault as korvane-run tells it: lower case, without the window's
// "Error: " and final full stop; "no instruction has the operation code
// <12>" where the window says "Error in execution <12>.".
QString faultText(const machine::Fault &fault);

// A step limit as korvane-run tells it.
QString stepLimitText(quint64 steps, const QString &limitName = QStringLiteral("--max-steps"));

// The error that ended a run with `message`, about the instruction at
// `address` (none for -1 or an address no line assembled to): at its
// mnemonic, or at the line's words for a data line.
Diagnostic runError(const SourceText &text, qint32 address, Code code, const QString &message);

} // namespace diagnostics
