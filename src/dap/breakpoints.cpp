#include "dap/breakpoints.h"

#include "machine/instructionset.h"

#include <QRegularExpression>

#include <algorithm>

namespace dap
{

std::optional<qint32> labelAddress(const program::Program &program, const QString &name)
{
    for (qsizetype address = 0;
         address < std::min<qsizetype>(program.labels.size(), machine::kMemorySize); ++address) {
        const QString &label = program.labels.at(address);
        if (!label.isEmpty() && label.compare(name, Qt::CaseInsensitive) == 0)
            return qint32(address);
    }
    return std::nullopt;
}

QList<LineBreakpoint> Breakpoints::setLines(const program::Program &program,
                                            const QList<qint32> &lines,
                                            const QList<BreakpointOptions> &options)
{
    lines_ = reserve(lines, {}, options);
    return relocate(program);
}

QList<LineBreakpoint> Breakpoints::reserve(const QList<qint32> &lines, const QString &why,
                                           const QList<BreakpointOptions> &options)
{
    QList<LineBreakpoint> reserved;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        LineBreakpoint breakpoint;
        breakpoint.id = nextId++;
        breakpoint.requestedLine = breakpoint.line = lines.at(index);
        breakpoint.message = why;
        breakpoint.options = options.value(index);
        reserved.append(breakpoint);
    }
    return reserved;
}

QList<LineBreakpoint> Breakpoints::adopt(const program::Program &program,
                                         const QList<LineBreakpoint> &lines)
{
    lines_ = lines;
    return relocate(program);
}

QList<LineBreakpoint> Breakpoints::setInstructions(const program::Program &program,
                                                   const QStringList &references,
                                                   const QList<qint32> &offsets,
                                                   const QList<BreakpointOptions> &options)
{
    instructions_.clear();
    for (qsizetype index = 0; index < references.size(); ++index) {
        LineBreakpoint breakpoint;
        breakpoint.kind = LineBreakpoint::Instruction;
        breakpoint.id = nextId++;
        breakpoint.name = references.at(index);
        breakpoint.requestedLine = offsets.value(index);
        breakpoint.options = options.value(index);
        instructions_.append(breakpoint);
    }
    relocate(program);
    return instructions_;
}

QList<LineBreakpoint> Breakpoints::setFunctions(const program::Program &program,
                                                const QStringList &names,
                                                const QList<BreakpointOptions> &options)
{
    functions_.clear();
    for (qsizetype index = 0; index < names.size(); ++index) {
        LineBreakpoint breakpoint;
        breakpoint.kind = LineBreakpoint::Function;
        breakpoint.id = nextId++;
        breakpoint.name = names.at(index).trimmed();
        breakpoint.options = options.value(index);
        functions_.append(breakpoint);
    }
    relocate(program);
    return functions_;
}

QList<DataBreakpoint> Breakpoints::setData(const QList<DataBreakpoint> &data)
{
    data_ = data;
    watched_ = {};
    for (DataBreakpoint &breakpoint : data_) {
        breakpoint.id = nextId++;
        if (!machine::isAddress(breakpoint.address))
            continue;
        (breakpoint.readWrite ? watched_.reads : watched_.writes)
            .set(std::size_t(breakpoint.address));
    }
    return data_;
}

QList<LineBreakpoint> Breakpoints::relocate(const program::Program &program)
{
    for (QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (LineBreakpoint &breakpoint : *list) {
            place(program, breakpoint);
            if (breakpoint.verified)
                parseOptions(program, breakpoint);
        }
    }
    recount();
    return lines_;
}

void Breakpoints::recount()
{
    cells_.reset();
    for (const QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (const LineBreakpoint &breakpoint : *list) {
            if (breakpoint.verified)
                cells_.set(std::size_t(breakpoint.address));
        }
    }
}

void Breakpoints::clearHits()
{
    for (QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (LineBreakpoint &breakpoint : *list) {
            breakpoint.hits = 0;
            breakpoint.stoppedAt.clear();
        }
    }
}

void Breakpoints::forgetHitsAfter(quint64 step)
{
    for (QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (LineBreakpoint &breakpoint : *list) {
            std::vector<quint64> &stopped = breakpoint.stoppedAt;
            stopped.erase(std::upper_bound(stopped.begin(), stopped.end(), step), stopped.end());
        }
    }
}

namespace
{

// Whether a breakpoint with a hit count stopped at this step when the run first passed it.
bool stoppedThere(const LineBreakpoint &breakpoint, quint64 step)
{
    const std::vector<quint64> &stopped = breakpoint.stoppedAt;
    if (breakpoint.hitCondition->fromThenOn())
        return !stopped.empty() && step >= stopped.front();
    return std::binary_search(stopped.begin(), stopped.end(), step);
}

} // namespace

// A condition, hit count or log message that does not read leaves the
// breakpoint unverified with the reason.
void Breakpoints::parseOptions(const program::Program &program, LineBreakpoint &breakpoint)
{
    const LabelLookup labels = [&program](const QString &name) {
        return labelAddress(program, name);
    };
    QString error;
    breakpoint.condition.reset();
    breakpoint.hitCondition.reset();
    breakpoint.log.reset();
    const BreakpointOptions &options = breakpoint.options;
    if (!options.condition.trimmed().isEmpty() &&
        !(breakpoint.condition = Condition::parse(options.condition, labels, error))) {
    } else if (!options.hitCondition.trimmed().isEmpty() &&
               !(breakpoint.hitCondition = HitCondition::parse(options.hitCondition, error))) {
    } else if (!options.logMessage.isEmpty() &&
               !(breakpoint.log = LogMessage::parse(options.logMessage, labels, error))) {
    }
    if (!error.isEmpty()) {
        breakpoint.verified = false;
        breakpoint.message = error;
    }
}

// A line with a word keeps its breakpoint, a data line too (data can run as
// code); a blank line hands it to the next line with a word. An instruction
// breakpoint stands at its address, a function breakpoint at its label's cell.
void Breakpoints::place(const program::Program &program, LineBreakpoint &breakpoint)
{
    breakpoint.verified = false;
    breakpoint.address = -1;
    breakpoint.message.clear();
    const qint32 words = qint32(std::min<qsizetype>(program.image.size(), machine::kMemorySize));
    const auto at = [&](qint32 address) {
        breakpoint.verified = true;
        breakpoint.address = address;
        breakpoint.line = program.lineNumberOf(address);
    };
    if (breakpoint.kind == LineBreakpoint::Instruction) {
        static const QRegularExpression number(QStringLiteral("^\\s*\\d{1,3}\\s*$"));
        const qint32 address = breakpoint.name.toInt() + breakpoint.requestedLine;
        if (!number.match(breakpoint.name).hasMatch() || !machine::isAddress(address))
            breakpoint.message =
                QStringLiteral("There is no cell '%1': the memory has cells 00 to 99.")
                    .arg(breakpoint.requestedLine == 0
                             ? breakpoint.name
                             : QStringLiteral("%1%2%3")
                                   .arg(breakpoint.name, breakpoint.requestedLine > 0
                                                             ? QStringLiteral("+")
                                                             : QString())
                                   .arg(breakpoint.requestedLine));
        else
            at(address);
        return;
    }
    if (breakpoint.kind == LineBreakpoint::Function) {
        if (const std::optional<qint32> address = labelAddress(program, breakpoint.name))
            at(*address);
        else
            breakpoint.message = QStringLiteral("There is no label '%1'.").arg(breakpoint.name);
        return;
    }
    breakpoint.line = breakpoint.requestedLine;
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
    for (const QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (const LineBreakpoint &breakpoint : *list) {
            if (breakpoint.verified && breakpoint.address == address)
                ids.append(breakpoint.id);
        }
    }
    return ids;
}

QList<qint32> Breakpoints::hit(const machine::Processor &processor, QStringList &logs,
                               bool counting)
{
    QList<qint32> ids;
    for (QList<LineBreakpoint> *list : {&lines_, &instructions_, &functions_}) {
        for (LineBreakpoint &breakpoint : *list) {
            if (!breakpoint.verified || breakpoint.address != processor.pc())
                continue;
            if (breakpoint.condition && !breakpoint.condition->holds(processor))
                continue;
            const quint64 step = processor.executedSteps();
            if (counting)
                ++breakpoint.hits;
            if (breakpoint.hitCondition) {
                if (!counting) {
                    if (!stoppedThere(breakpoint, step))
                        continue;
                } else if (!breakpoint.hitCondition->stopsAt(breakpoint.hits)) {
                    continue;
                } else if (!breakpoint.hitCondition->fromThenOn() || breakpoint.stoppedAt.empty()) {
                    breakpoint.stoppedAt.push_back(step);
                }
            }
            if (breakpoint.log) {
                if (counting)
                    logs.append(breakpoint.log->text(processor));
                continue;
            }
            ids.append(breakpoint.id);
        }
    }
    return ids;
}

QList<DataBreakpoint> Breakpoints::dataHit(qint32 opcode, qint32 operand) const
{
    QList<DataBreakpoint> hits;
    const bool stores = opcode == machine::Store;
    const bool reads = opcode == machine::Load || opcode == machine::Add ||
                       opcode == machine::Subtract || opcode == machine::Multiply ||
                       opcode == machine::Divide;
    for (const DataBreakpoint &breakpoint : data_) {
        if (breakpoint.address == operand && (stores || (reads && breakpoint.readWrite)))
            hits.append(breakpoint);
    }
    return hits;
}

} // namespace dap
