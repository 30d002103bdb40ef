#pragma once

// Every error of a program text, each at its word, in line order.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QList>
#include <QString>

namespace diagnostics
{

// How many errors korvane-run shows before it stops.
inline constexpr qsizetype kErrorLimit = 20;

// The errors of a program text, in line order, each with the notes that
// belong to it; none exactly when the window's assembler accepts the text.
// The error the window's assembler reports is always among them, at its line.
//
// With `limit` above 0, at most that many errors are built and a last
// "too-many-errors" error about the whole program follows; the window's
// error then takes the last place when the limit would drop it. The errors
// left out are only counted, into `omitted` when it is given.
QList<Diagnostic> errors(const SourceText &text, qsizetype limit = 0, qsizetype *omitted = nullptr);

// The errors of a text, each followed by its notes.
QList<Diagnostic> check(const QString &source, qsizetype errorLimit = 0);

} // namespace diagnostics
