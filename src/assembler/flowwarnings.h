#pragma once

// Warnings about where a run of an assembled program goes: data before the
// code, stores into instructions, branches into data that is no instruction,
// and instructions no path from cell 00 reaches.

#include "assembler/diagnostic.h"
#include "assembler/sourcetext.h"

#include <QList>
#include <QString>

namespace diagnostics
{

// `lines` are the stored lines of a program that assembled, `image` the
// words they assembled to, one per line.
QList<Diagnostic> flowWarnings(const QList<SourceLine> &lines, const QList<QString> &image);

} // namespace diagnostics
