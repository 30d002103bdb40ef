#pragma once

// The breakpoints of a debug session, kept in one place: where each one
// stands in the program, and the cells at which a run stops for them.

#include "cpu/processor.h"
#include "program/program.h"

#include <QList>
#include <QString>

namespace dap
{

struct LineBreakpoint {
    qint32 id = 0;
    qint32 requestedLine = 0; // as the editor asked, counted from 1
    bool verified = false;
    qint32 line = 0;     // where it stands: the requested line or the next one with a word
    qint32 address = -1; // the cell of that line's word; -1 when not verified
    QString message;     // why it is not verified
};

class Breakpoints
{
public:
    // Replaces the line breakpoints by these lines of the program; each gets
    // a new id.
    QList<LineBreakpoint> setLines(const korvane::Program &program, const QList<qint32> &lines);
    // Places the breakpoints again in a program that was read anew, keeping their ids.
    QList<LineBreakpoint> relocate(const korvane::Program &program);
    // Breakpoints asked for before there is a program: ids now, not verified
    // with the reason; adopt() makes them this program's once it is read.
    QList<LineBreakpoint> reserve(const QList<qint32> &lines, const QString &why);
    QList<LineBreakpoint> adopt(const korvane::Program &program,
                                const QList<LineBreakpoint> &lines);

    const QList<LineBreakpoint> &lines() const { return lines_; }
    // The cells at which a run stops.
    const machine::Processor::Breakpoints &cells() const { return cells_; }
    // The ids of the breakpoints that stand at a cell.
    QList<qint32> idsAt(qint32 address) const;

private:
    void place(const korvane::Program &program, LineBreakpoint &breakpoint);

    QList<LineBreakpoint> lines_;
    machine::Processor::Breakpoints cells_;
    qint32 nextId = 1;
};

} // namespace dap
