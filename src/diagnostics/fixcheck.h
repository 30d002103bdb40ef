#pragma once

// The one check every fix passes before it is offered: applied to the text
// in memory, the diagnostic it answers is gone and no error appears that was
// not there. korvane-run, the reports and the language server offer only
// fixes that passed it, as they all read the errors of one check.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QList>
#include <QString>

namespace diagnostics
{

// The text with every edit of a fix applied; edits on the line after the
// last one append lines.
QString applied(const QString &text, const Fix &fix);

class FixCheck
{
public:
    // `refused`: the numbers of the lines of `text` the assembler refuses, in order.
    FixCheck(const SourceText &text, QList<qint32> refused);

    // Whether applying `fix` to the text removes `about` (an error) and adds
    // no error: no line the assembler accepted is refused after it, no error
    // stands in the text the fix wrote, and the program fits in the memory
    // if it did before. Errors the fixed line had already, behind the one
    // answered, are no new ones: they were there, only not told.
    bool right(const Diagnostic &about, const Fix &fix) const;

    // Keeps only the right fixes of `found` and of its notes (which answer
    // `found`); a note that only suggests loses itself with its fix.
    void keepRightFixes(Diagnostic &found) const;

private:
    bool refused(qint32 number) const;

    const SourceText &text_;
    const QList<qint32> refused_;
};

} // namespace diagnostics
