#pragma once

// What a front end can tell about a program beyond whether it assembles:
// warnings about likely mistakes in a program that assembles, and notes that
// help to read how a run of it ended. The errors of a program that does not
// assemble come from check() (assembler/check.h).
//
// Both look at the lines exactly as the assembler stores and splits them, so
// a diagnostic names the same line the assembler would.

#include "assembler/diagnostic.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace diagnostics
{

// Likely mistakes in a program the assembler accepts, as warnings: what was
// found and what it does. Sorted by line, those about the whole program
// first. None for a program the assembler refuses.
QList<Diagnostic> warnings(const QString &source);

// How a run of a program ended, as far as notes about it need to know.
struct RunStop {
    enum Kind : quint8 {
        Fault,     // a step failed: address, previousAddress
        StepLimit, // the step limit was reached: lowest, highest, recentSteps
    };
    Kind kind = Fault;
    qint32 address = -1;         // the failing instruction's address, -1 for none
    qint32 previousAddress = -1; // the instruction of the step before it, -1 for none
    qint32 lowest = -1;          // the lowest and highest address run
    qint32 highest = -1;         // in the last recentSteps steps
    quint64 recentSteps = 0;
};

// What may explain how a run of a program that assembled ended, as notes: a
// run into a data line or past the last line, or where it was looping at the
// step limit.
QList<Diagnostic> runNotes(const QString &source, const RunStop &stop);

// The error that ended a run, about the instruction at `address` (none for
// -1 or an address no line assembled to): at its mnemonic, or at the line's
// words for a data line. The text is the run's message in korvane-run's own
// form: without the leading "Error: " and the final full stop, lower case.
Diagnostic runError(const QString &source, qint32 address, const char *kind,
                    const QString &message);

} // namespace diagnostics
