#include "dap/breakpoints.h"

#include <algorithm>

namespace dap
{

QList<LineBreakpoint> Breakpoints::setLines(const korvane::Program &program,
                                            const QList<qint32> &lines)
{
    lines_.clear();
    for (const qint32 line : lines) {
        LineBreakpoint breakpoint;
        breakpoint.id = nextId++;
        breakpoint.requestedLine = line;
        lines_.append(breakpoint);
    }
    return relocate(program);
}

QList<LineBreakpoint> Breakpoints::reserve(const QList<qint32> &lines, const QString &why)
{
    QList<LineBreakpoint> reserved;
    for (const qint32 line : lines) {
        LineBreakpoint breakpoint;
        breakpoint.id = nextId++;
        breakpoint.requestedLine = breakpoint.line = line;
        breakpoint.message = why;
        reserved.append(breakpoint);
    }
    return reserved;
}

QList<LineBreakpoint> Breakpoints::adopt(const korvane::Program &program,
                                         const QList<LineBreakpoint> &lines)
{
    lines_ = lines;
    return relocate(program);
}

QList<LineBreakpoint> Breakpoints::relocate(const korvane::Program &program)
{
    cells_.reset();
    for (LineBreakpoint &breakpoint : lines_)
        place(program, breakpoint);
    return lines_;
}

// A line with a word keeps its breakpoint, a data line too (data can run as
// code); a blank line hands it to the next line with a word.
void Breakpoints::place(const korvane::Program &program, LineBreakpoint &breakpoint)
{
    breakpoint.verified = false;
    breakpoint.address = -1;
    breakpoint.line = breakpoint.requestedLine;
    breakpoint.message.clear();
    const qint32 words = qint32(std::min<qsizetype>(program.image.size(), machine::kMemorySize));
    if (breakpoint.requestedLine < 1) {
        breakpoint.message = QStringLiteral("There is no line %1.").arg(breakpoint.requestedLine);
        return;
    }
    for (qint32 address = 0; address < words; ++address) {
        const qint32 line = program.lineNumbers[std::size_t(address)];
        if (line >= breakpoint.requestedLine) {
            breakpoint.verified = true;
            breakpoint.line = line;
            breakpoint.address = address;
            cells_.set(std::size_t(address));
            return;
        }
    }
    breakpoint.message =
        words == 0
            ? QStringLiteral("The program has no instruction or data line.")
            : QStringLiteral("Line %1 is past the program's last line with a word (line %2).")
                  .arg(breakpoint.requestedLine)
                  .arg(program.lineNumbers[std::size_t(words - 1)]);
}

QList<qint32> Breakpoints::idsAt(qint32 address) const
{
    QList<qint32> ids;
    for (const LineBreakpoint &breakpoint : lines_) {
        if (breakpoint.verified && breakpoint.address == address)
            ids.append(breakpoint.id);
    }
    return ids;
}

} // namespace dap
