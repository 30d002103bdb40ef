#pragma once

// A program: its text read once, the memory image it assembles to, and all
// that the front ends tell about it. The text's lines and words with their
// roles, the cells and labels, and the errors or the warnings are found
// together when it is assembled; notes on a run are found when asked for.

#include "diagnostics/diagnostic.h"
#include "diagnostics/runnotes.h"
#include "diagnostics/sourcetext.h"
#include "machine/processor.h"
#include "machine/runloop.h"
#include "machine/word.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>

namespace program
{

// How many warnings reports, the language server and korvane-run keep; the
// others are counted.
inline constexpr qsizetype kWarningLimit = 200;

struct Program {
    QString name; // how messages name it: the file as given, or "sample N"
    QString text;

    // Set by assemble(). The text as read: its stored lines (line k is cell
    // k) with their words, the roles of the words and every label.
    std::shared_ptr<const diagnostics::SourceText> source;
    QStringList image; // the words of cells 0, 1, 2, ... once assembled
    // Line of the text that each word of the image came from, counted from 1.
    std::array<qint32, machine::kMemorySize> lineNumbers{};
    // The label each line of the image defines, as written; empty for none.
    QStringList labels;
    // Why it does not assemble: at most diagnostics::kErrorLimit errors, each
    // with its notes, then one that says the rest are left out.
    QList<diagnostics::Diagnostic> errors;
    // The warnings about a program that assembled: at most kWarningLimit,
    // then one that says how many more there are.
    QList<diagnostics::Diagnostic> warnings;
    // The errors or warnings counted but left out.
    qsizetype omitted = 0;

    // Reads and assembles the text. Returns false when it does not
    // assemble, with `errors` set and `error` holding them one line each,
    // "NAME:LINE:COLUMN: error: TEXT" and the notes "NAME:LINE:COLUMN: note: TEXT".
    bool assemble(QString &error);
    // Whether cell `address` holds a data line's word.
    bool holdsData(qint32 address) const;
    // Notes on how a run of the assembled program ended.
    QList<diagnostics::Diagnostic> runNotes(const diagnostics::RunStop &stop) const;
    // A fault at the cell `address` in plain words: one text for every front
    // end but the window.
    QString faultText(const machine::Fault &fault, qint32 address) const;
    // The error that ended a run at the instruction at `address` (-1 for
    // none), with korvane-run's text of it.
    diagnostics::Diagnostic runError(qint32 address, diagnostics::Code code,
                                     const QString &message) const;
    // The error that ended a run by a fault or at the step limit of a run
    // allowed `maxSteps` steps, as korvane-run writes it, then its notes.
    QList<diagnostics::Diagnostic> runEnd(const machine::RunEnd &end, quint64 maxSteps) const;
    // One line: "NAME:LINE:COLUMN: SEVERITY: TEXT", or "NAME: SEVERITY: TEXT"
    // about the whole program. Reports, which name the file already, write
    // diagnostics::oneLine() instead.
    QString lineOf(const diagnostics::Diagnostic &diagnostic) const;
    // Each diagnostic, each related place of it as a note, and each of its
    // notes, as lineOf() writes them.
    QStringList linesOf(const QList<diagnostics::Diagnostic> &diagnostics) const;
    // The line of the text that the word at `address` was assembled from,
    // counted from 1; 0 for a cell that no line assembled to.
    qint32 lineNumberOf(qint32 address) const;
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

using machine::addressText;

} // namespace program
