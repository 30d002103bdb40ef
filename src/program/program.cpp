#include "program/program.h"

#include "assembler/assembler.h"
#include "assembler/diagnostics.h"
#include "assembler/splittext.h"

#include <algorithm>

namespace korvane
{

namespace
{

QString location(const QString &name, qint32 line)
{
    return name + QLatin1Char(':') + QString::number(line) + QLatin1String(": ");
}

// "NAME:LINE: KIND: TEXT", or "NAME: KIND: TEXT" for a finding about the whole program.
QString findingLine(const QString &name, QLatin1String kind, const diagnostics::Finding &finding)
{
    return (finding.line > 0 ? location(name, finding.line) : name + QLatin1String(": ")) + kind +
           QLatin1String(": ") + finding.text;
}

// "LINE:COLUMN: KIND: TEXT", COLUMN the byte of the line's first word counted
// from 1, or "KIND: TEXT" for a finding about the whole program.
QString reportLine(const QString &text, QLatin1String kind, const diagnostics::Finding &finding)
{
    QString line = kind + QLatin1String(": ") + finding.text;
    if (finding.line <= 0)
        return line;
    const QString source = text.section(QLatin1Char('\n'), finding.line - 1, finding.line - 1);
    qsizetype blanks = 0;
    while (blanks < source.size() && (source[blanks] == u' ' || source[blanks] == u'\t'))
        ++blanks;
    return QStringLiteral("%1:%2: ").arg(finding.line).arg(blanks + 1) + line;
}

} // namespace

bool Program::assemble(QString &error)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        image = splitText(assembler.assemble(text), QStringLiteral("\n"));
    } catch (const QString &message) {
        // The refusal of a program with too many lines is about no one line.
        const qint32 line = assembler.errorLine;
        error = (line >= 0 && line < assembler.lineCount
                     ? location(name, assembler.lineNumbers[static_cast<std::size_t>(line)])
                     : name + QLatin1String(": ")) +
                message;
        for (const diagnostics::Finding &note : diagnostics::notes(text)) {
            if (!error.endsWith(QLatin1Char('\n')))
                error += QLatin1Char('\n');
            error += findingLine(name, QLatin1String("note"), note);
        }
        return false;
    }
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

QStringList Program::warnings(Form form) const
{
    QStringList lines;
    for (const diagnostics::Finding &warning : diagnostics::warnings(text))
        lines.append(form == Form::Terminal ? findingLine(name, QLatin1String("warning"), warning)
                                            : reportLine(text, QLatin1String("warning"), warning));
    return lines;
}

QStringList Program::runNotes(const diagnostics::RunStop &stop, Form form) const
{
    QStringList lines;
    for (const diagnostics::Finding &note : diagnostics::runNotes(text, stop))
        lines.append(form == Form::Terminal ? findingLine(name, QLatin1String("note"), note)
                                            : reportLine(text, QLatin1String("note"), note));
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

} // namespace korvane
