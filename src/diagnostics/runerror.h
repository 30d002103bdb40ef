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

// A fault at the cell `address` (-1: none) of a program read as `text`, in
// plain words, as korvane-run, the reports, the debug adapter and the
// language server tell it: a word that is no instruction names the cell,
// its line and word, and what made the word none (data run as an
// instruction, an operand where none belongs, an operand missing).
QString faultText(const SourceText &text, const machine::Fault &fault, qint32 address);

// An instruction at cell `address` whose operand cell `operand` holds `held`,
// which is no number (the run goes on, the accumulator unchanged): the
// instruction, its line, the cell and what it holds.
QString operandText(const SourceText &text, qint32 address, const QString &mnemonic, qint32 operand,
                    const QString &held);

// A step limit as korvane-run tells it.
QString stepLimitText(quint64 steps, const QString &limitName = QStringLiteral("--max-steps"));

// The error that ended a run with `message`, about the instruction at
// `address` (none for -1 or an address no line assembled to): at its
// mnemonic, or at the line's words for a data line.
Diagnostic runError(const SourceText &text, qint32 address, Code code, const QString &message);

} // namespace diagnostics
