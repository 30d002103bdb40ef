#pragma once

// The first error of a program that does not assemble, as a debugger shows
// it: where it is and what it says.

#include <QString>
#include <QtGlobal>

namespace dap
{

struct AssemblyError {
    qint32 line = 0;   // counted from 1; 0 when the error is about the whole program
    qint32 column = 0; // counted from 1; 0 when the message names no column
    QString text;      // korvane-run's first line: "NAME:LINE:COLUMN: error: ..."
};

// The first error in the message of program::Program::assemble, which starts
// with "NAME:LINE:COLUMN: " for an error about one line and "NAME: " otherwise.
AssemblyError firstAssemblyError(const QString &programName, const QString &message);

} // namespace dap
