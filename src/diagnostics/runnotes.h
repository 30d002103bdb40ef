#pragma once

// Notes that help to read how a run of a program that assembled ended.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QList>
#include <QtGlobal>

namespace diagnostics
{

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

// What may explain how a run ended, as notes: a run into a data line or
// past the last line, or where it was looping at the step limit.
QList<Diagnostic> runNotes(const SourceText &text, const RunStop &stop);

} // namespace diagnostics
