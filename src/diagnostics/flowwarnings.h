#pragma once

// Warnings about where a run of an assembled program goes: data before the
// code, stores into instructions, branches into data that is no instruction,
// and instructions no path from cell 00 reaches.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace diagnostics
{

// `text` is a program that assembled, `image` the words its lines assembled
// to, one per line.
QList<Diagnostic> flowWarnings(const SourceText &text, const QStringList &image);

} // namespace diagnostics
