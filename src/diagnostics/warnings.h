#pragma once

// Warnings about likely mistakes in a program the assembler accepts: what
// was found and what it does. They look at the lines exactly as the
// assembler stores and splits them, so a warning names the same line the
// assembler would.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace diagnostics
{

// The warnings about a text that assembled to `image`, one word per stored
// line: sorted by line, those about the whole program first. With `limit`
// above 0, at most that many of them and a last "too-many-warnings" one
// that says how many more there are, counted into `omitted` when given.
QList<Diagnostic> warnings(const SourceText &text, const QStringList &image, qsizetype limit = 0,
                           qsizetype *omitted = nullptr);

// The warnings about a text, which the window's assembler assembles first;
// none for a text it refuses.
QList<Diagnostic> warnings(const QString &source);

} // namespace diagnostics
