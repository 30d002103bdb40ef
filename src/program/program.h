#pragma once

// A program text, the memory image it assembles to, and the line of the text
// that each word came from, so that messages can name it.

#include "assembler/diagnostics.h"
#include "cpu/processor.h"
#include "cpu/runloop.h"
#include "machine/word.h"

#include <QString>
#include <QStringList>

#include <array>

namespace korvane
{

// How a diagnostic line starts: "NAME:LINE: " on a terminal, like a
// compiler's, or "LINE:COLUMN: " in a report, which names the file already.
enum class Form : quint8 { Terminal, Report };

struct Program {
    QString name; // how messages name it: the file as given, or "sample N"
    QString text;
    QStringList image; // the words of cells 0, 1, 2, ... once assembled
    // Line of the text that each word of the image came from, counted from 1.
    std::array<qint32, machine::kMemorySize> lineNumbers{};
    // The label each line of the image defines, as written; empty for none.
    QStringList labels;

    // Assembles the text into the image. Returns false with the assembler's
    // message, which starts with "NAME:LINE: " when it is about one line and
    // with "NAME: " otherwise, followed by the notes that help to read it,
    // one line each ("NAME:LINE: note: TEXT").
    bool assemble(QString &error);
    // Warnings about the text, one line each: "NAME:LINE: warning: TEXT", or
    // "NAME: warning: TEXT" for one about the whole program; in a report's
    // form "LINE:COLUMN: warning: TEXT" or "warning: TEXT". None when the
    // text does not assemble.
    QStringList warnings(Form form = Form::Terminal) const;
    // Notes on how a run of the assembled program ended, one line each:
    // "NAME:LINE: note: TEXT", or "NAME: note: TEXT" about no one line (in a
    // report's form as for warnings).
    QStringList runNotes(const diagnostics::RunStop &stop, Form form = Form::Terminal) const;
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

} // namespace korvane
