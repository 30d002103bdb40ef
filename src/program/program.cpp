#include "program/program.h"

#include "assembler/assembler.h"
#include "assembler/check.h"
#include "assembler/diagnostics.h"
#include "assembler/splittext.h"

#include <algorithm>

namespace program
{

namespace
{

QString location(const QString &name, qint32 line)
{
    return name + QLatin1Char(':') + QString::number(line) + QLatin1String(": ");
}

} // namespace

bool Program::assemble(QString &error)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        image = splitText(assembler.assemble(text), QStringLiteral("\n"));
    } catch (const QString &message) {
        image.clear();
        errors = diagnostics::check(text, diagnostics::kErrorLimit);
        // The checks find every error the assembler finds; should they ever
        // miss one, its own message is shown rather than none.
        if (errors.isEmpty()) {
            diagnostics::Diagnostic refused;
            refused.kind = QStringLiteral("assembly-error");
            refused.message = message.trimmed();
            const qint32 stored = assembler.errorLine;
            if (stored >= 0 && stored < assembler.lineCount)
                refused.range.line = assembler.lineNumbers[std::size_t(stored)];
            errors.append(refused);
        }
        QStringList lines;
        for (const diagnostics::Diagnostic &found : std::as_const(errors))
            lines.append(lineOf(found));
        error = lines.join(QLatin1Char('\n'));
        return false;
    }
    errors.clear();
    lineNumbers = assembler.lineNumbers;
    // The symbol table names the lines that define labels; the name is taken
    // from the line as written, where the assembler keeps it upper-cased.
    const QList<QString> written = splitText(text, QStringLiteral("\n"));
    labels = QStringList(assembler.lineCount, QString());
    for (qint32 i = 0; i < assembler.symbolCount; ++i) {
        const qint32 line = assembler.symbols[std::size_t(i)].labelAddress;
        labels[line] = splitText(written.value(line), QString()).value(0);
    }
    return true;
}

QList<diagnostics::Diagnostic> Program::warningList() const
{
    return diagnostics::warnings(text);
}

QStringList Program::warnings() const
{
    return linesOf(warningList());
}

QList<diagnostics::Diagnostic> Program::runNoteList(const diagnostics::RunStop &stop) const
{
    return diagnostics::runNotes(text, stop);
}

QStringList Program::runNotes(const diagnostics::RunStop &stop) const
{
    return linesOf(runNoteList(stop));
}

diagnostics::Diagnostic Program::runError(qint32 address, const char *kind,
                                          const QString &message) const
{
    // Only an address that a line assembled to names a line.
    const bool fromLine = address >= 0 && address < image.size() && machine::isAddress(address);
    return diagnostics::runError(text, fromLine ? address : -1, kind, message);
}

QString Program::lineOf(const diagnostics::Diagnostic &diagnostic) const
{
    return name + (diagnostic.range.line > 0 ? QStringLiteral(":") : QStringLiteral(": ")) +
           diagnostics::oneLine(diagnostic);
}

QStringList Program::linesOf(const QList<diagnostics::Diagnostic> &diagnostics) const
{
    QStringList lines;
    for (const diagnostics::Diagnostic &diagnostic : diagnostics)
        lines.append(lineOf(diagnostic));
    return lines;
}

diagnostics::RunStop runStopOf(const machine::RunEnd &end, quint64 maxSteps)
{
    diagnostics::RunStop stop;
    if (end.kind == machine::RunEnd::StepLimit) {
        stop.kind = diagnostics::RunStop::StepLimit;
        stop.lowest = end.lowestRecent;
        stop.highest = end.highestRecent;
        stop.recentSteps = std::min(maxSteps, machine::kRecentSteps);
    } else {
        stop.address = end.address;
        stop.previousAddress = end.previousAddress;
    }
    return stop;
}

QString Program::locationOf(qint32 address) const
{
    if (address < 0 || address >= image.size() || !machine::isAddress(address))
        return {};
    return location(name, lineNumbers[static_cast<std::size_t>(address)]);
}

void loadImage(const Program &program, machine::Processor &processor)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, address < program.image.size() ? program.image[address]
                                                                  : QString(machine::kEmptyWord));
}

QString addressText(qint32 address)
{
    return QStringLiteral("%1").arg(address, 2, 10, QLatin1Char('0'));
}

} // namespace program
