#pragma once

// What a front end can tell about a program beyond the assembler's own
// message: warnings about likely mistakes in a program that assembles, and
// notes that help to read the error of one that does not.
//
// Both look at the lines exactly as the assembler stores and splits them, so
// a finding names the same line the assembler would.

#include <QList>
#include <QString>
#include <QtGlobal>

namespace diagnostics
{

struct Finding {
    // Line of the text, counted from 1 with blank lines included; 0 when the
    // finding is about the whole program.
    qint32 line = 0;
    // One line of plain text, starting in lower case or with a quoted word.
    QString text;

    bool operator==(const Finding &) const = default;
};

// Likely mistakes in a program the assembler accepts: what was found and what
// it does. Sorted by line, findings about the whole program first. None for a
// program the assembler refuses.
QList<Finding> warnings(const QString &source);

// What may explain the error a program is refused with, sorted by line. None
// for a program the assembler accepts, or one it refuses as a whole.
QList<Finding> notes(const QString &source);

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

// What may explain how a run of a program that assembled ended: a run into
// a data line or past the last line, or where it was looping at the step limit.
QList<Finding> runNotes(const QString &source, const RunStop &stop);

} // namespace diagnostics
