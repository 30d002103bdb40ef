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

} // namespace diagnostics
