#pragma once

// A program text, the memory image it assembles to, and the line of the text
// that each word came from, so that messages can name it.

#include "assembler/diagnostic.h"
#include "assembler/diagnostics.h"
#include "machine/processor.h"
#include "machine/runloop.h"
#include "machine/word.h"

#include <QString>
#include <QStringList>

#include <array>

namespace program
{

struct Program {
    QString name; // how messages name it: the file as given, or "sample N"
    QString text;
    QStringList image; // the words of cells 0, 1, 2, ... once assembled
    // Line of the text that each word of the image came from, counted from 1.
    std::array<qint32, machine::kMemorySize> lineNumbers{};
    // The label each line of the image defines, as written; empty for none.
    QStringList labels;

    // The errors of the last assemble() that failed, in line order, each
    // followed by its notes: at most diagnostics::kErrorLimit, then one that
    // says the rest are left out.
    QList<diagnostics::Diagnostic> errors;

    // Assembles the text into the image. Returns false when it does not
    // assemble, with `errors` set and `error` holding them one line each,
    // "NAME:LINE:COLUMN: error: TEXT" and the notes "NAME:LINE:COLUMN: note: TEXT".
    bool assemble(QString &error);
    // Warnings about the text; none when it does not assemble.
    QList<diagnostics::Diagnostic> warningList() const;
    // The same, one line each: "NAME:LINE:COLUMN: warning: TEXT", or
    // "NAME: warning: TEXT" for one about the whole program.
    QStringList warnings() const;
    // Notes on how a run of the assembled program ended.
    QList<diagnostics::Diagnostic> runNoteList(const diagnostics::RunStop &stop) const;
    // The same, one line each, in the form of warnings().
    QStringList runNotes(const diagnostics::RunStop &stop) const;
    // The error that ended a run at the instruction at `address` (-1 for
    // none), with the run's message in korvane-run's wording.
    diagnostics::Diagnostic runError(qint32 address, const char *kind,
                                     const QString &message) const;
    // One line: "NAME:LINE:COLUMN: SEVERITY: TEXT", or "NAME: SEVERITY: TEXT"
    // about the whole program. Reports, which name the file already, write
    // diagnostics::oneLine() instead.
    QString lineOf(const diagnostics::Diagnostic &diagnostic) const;
    // Each diagnostic as lineOf() writes it.
    QStringList linesOf(const QList<diagnostics::Diagnostic> &diagnostics) const;
    // "NAME:LINE: " for a cell that a line of the text assembled to; empty for
    // any other address.
    QString locationOf(qint32 address) const;
};

// What the notes on a run need to know of how it ended: a fault, or the step
// limit of a run that was allowed `maxSteps` steps.
diagnostics::RunStop runStopOf(const machine::RunEnd &end, quint64 maxSteps);

// Puts the program's image into memory from address 0; the other cells hold
// the empty word.
void loadImage(const Program &program, machine::Processor &processor);

// An address as the memory table numbers it: two digits, 00 to 99.
QString addressText(qint32 address);

} // namespace program
