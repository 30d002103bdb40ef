#pragma once

// Diagnostics as korvane-run writes them on standard error, like Clang and
// GCC: "FILE:LINE:COLUMN: error: MESSAGE", then the source line with a
// marker under the word and, where there is a fix, the replacement under it.

#include "diagnostics/diagnostic.h"
#include "program/program.h"

#include <QList>
#include <QString>

namespace run
{

struct PrintStyle {
    bool excerpts = true; // the source line, the marker and the fix under the first line
    bool colour = false;  // ANSI colours, for a terminal
};

// The style for standard error: colour when it is a terminal and NO_COLOR is not set.
PrintStyle styleForStandardError(bool excerpts);

// One diagnostic, every line ending in a line feed, then each related
// place as a note.
QString printed(const program::Program &program, const diagnostics::Diagnostic &diagnostic,
                const PrintStyle &style);

// Several, one after the other.
QString printed(const program::Program &program, const QList<diagnostics::Diagnostic> &list,
                const PrintStyle &style);

} // namespace run
