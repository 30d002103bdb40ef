#pragma once

// Every error of a program text, each at its word, in line order.

#include "assembler/diagnostic.h"

#include <QList>
#include <QString>

namespace diagnostics
{

// How many errors korvane-run shows before it stops.
inline constexpr qsizetype kErrorLimit = 20;

// The errors of a program text, in line order, each followed by the notes
// that belong to it; none exactly when the window's assembler accepts the
// text. The error the window's assembler reports is always among them, at
// its line.
//
// With errorLimit above 0, at most that many errors are kept and a last
// "too-many-errors" error about the whole program follows; the window's
// error then takes the last place when the limit would drop it.
QList<Diagnostic> check(const QString &source, qsizetype errorLimit = 0);

} // namespace diagnostics
