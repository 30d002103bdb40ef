#pragma once

// The breakpoints of a debug session, kept in one place: line, instruction
// (an address) and function (a label) breakpoints, each with what it may ask
// beyond its place (a condition, a hit count, a log message), and data
// breakpoints on cells; the cells at which a run stops for them, and which
// of them stop the run there.

#include "dap/condition.h"
#include "machine/processor.h"
#include "program/program.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dap
{

// What a line, instruction or function breakpoint may ask beyond its place, as written.
struct BreakpointOptions {
    QString condition;
    QString hitCondition;
    QString logMessage;
};

struct LineBreakpoint {
    enum Kind : quint8 { Line, Instruction, Function };
    Kind kind = Line;
    qint32 id = 0;
    qint32 requestedLine = 0; // Line: as the editor asked, counted from 1
    bool verified = false;
    qint32 line = 0;     // where it stands: the requested line or the next one with a word
    qint32 address = -1; // the cell of that line's word; -1 when not verified
    QString message;     // why it is not verified
    QString name;        // Function: the label; Instruction: the reference asked for
    BreakpointOptions options;
    std::optional<Condition> condition;
    std::optional<HitCondition> hitCondition;
    std::optional<LogMessage> log;
    quint64 hits = 0; // times the run reached it with its condition holding
    // With a hit count: the step counts at which the count let it stop, in
    // order, so that a run gone through again stops where it stopped first
    // ("from the Nth on" keeps only the first).
    std::vector<quint64> stoppedAt;
};

// A data breakpoint stops after an instruction that stores into its cell,
// and with readWrite also after one that reads it.
struct DataBreakpoint {
    qint32 id = 0;
    qint32 address = 0;
    bool readWrite = false;
};

class Breakpoints
{
public:
    // Replaces the line breakpoints by these lines of the program; each gets
    // a new id. `options`, when given, go with the lines in order.
    QList<LineBreakpoint> setLines(const program::Program &program, const QList<qint32> &lines,
                                   const QList<BreakpointOptions> &options = {});
    // Replaces the instruction breakpoints: cells by their address ("07"),
    // moved by `offsets` where given.
    QList<LineBreakpoint> setInstructions(const program::Program &program,
                                          const QStringList &references,
                                          const QList<qint32> &offsets,
                                          const QList<BreakpointOptions> &options);
    // Replaces the function breakpoints: labels, upper and lower case alike.
    QList<LineBreakpoint> setFunctions(const program::Program &program, const QStringList &names,
                                       const QList<BreakpointOptions> &options);
    // Replaces the data breakpoints.
    QList<DataBreakpoint> setData(const QList<DataBreakpoint> &data);
    // Places the breakpoints again in a program that was read anew, keeping their ids.
    QList<LineBreakpoint> relocate(const program::Program &program);
    // Breakpoints asked for before there is a program: ids now, not verified
    // with the reason; adopt() makes them this program's once it is read.
    QList<LineBreakpoint> reserve(const QList<qint32> &lines, const QString &why,
                                  const QList<BreakpointOptions> &options = {});
    QList<LineBreakpoint> adopt(const program::Program &program,
                                const QList<LineBreakpoint> &lines);

    const QList<LineBreakpoint> &lines() const { return lines_; }
    const QList<LineBreakpoint> &instructions() const { return instructions_; }
    const QList<LineBreakpoint> &functions() const { return functions_; }
    const QList<DataBreakpoint> &data() const { return data_; }
    // The cells at which a run stops to ask hit() (conditions and counts included).
    const machine::Processor::Breakpoints &cells() const { return cells_; }
    // The cells of the data breakpoints, at whose use a run stops to ask dataHit().
    const machine::Processor::Watched &watched() const { return watched_; }
    // The ids of the breakpoints that stand at a cell.
    QList<qint32> idsAt(qint32 address) const;
    // The run reached the cell: the ids of the breakpoints there that stop
    // it. Those whose condition holds count the hit when `counting` (the
    // first time the run reaches this point); otherwise one with a hit count
    // stops where it stopped then. Logpoints add their message to `logs`
    // (when counting) instead of stopping.
    QList<qint32> hit(const machine::Processor &processor, QStringList &logs, bool counting);
    // The data breakpoints that an instruction with this opcode and operand
    // address triggers.
    QList<DataBreakpoint> dataHit(qint32 opcode, qint32 operand) const;
    // The hits counted so far start again from none (a new run).
    void clearHits();
    // The run changed at this step: what was counted after it is forgotten.
    void forgetHitsAfter(quint64 step);

private:
    void place(const program::Program &program, LineBreakpoint &breakpoint);
    void parseOptions(const program::Program &program, LineBreakpoint &breakpoint);
    void recount();

    QList<LineBreakpoint> lines_;
    QList<LineBreakpoint> instructions_;
    QList<LineBreakpoint> functions_;
    QList<DataBreakpoint> data_;
    machine::Processor::Breakpoints cells_;
    machine::Processor::Watched watched_;
    qint32 nextId = 1;
};

// The cell of a label of the program, upper and lower case alike.
std::optional<qint32> labelAddress(const program::Program &program, const QString &name);

} // namespace dap
