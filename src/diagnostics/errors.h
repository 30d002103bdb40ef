#pragma once

// Every error of a program text, each at its word, in line order.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

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

class ProgramCheck;

// The errors of some lines of a text line by line, as the check of a fix
// reads them: which lines the assembler refuses, and the errors of one,
// without fixes or notes. The labels of the whole text (`outer`, but for
// those `removed`) count besides those of the lines.
class ErrorFinder
{
public:
    ErrorFinder(const SourceText &part, const QHash<QString, qint32> &outer,
                const QSet<QString> &removed);
    ~ErrorFinder();
    // Whether the assembler refuses line k (counted from 0, as cells are).
    bool refuses(qint32 k) const;
    QList<Diagnostic> errorsOn(qint32 k) const;

private:
    std::unique_ptr<ProgramCheck> check_;
};

} // namespace diagnostics
