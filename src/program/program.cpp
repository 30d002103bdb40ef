#include "program/program.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "diagnostics/errors.h"
#include "diagnostics/mnemonic.h"
#include "diagnostics/runerror.h"
#include "diagnostics/warnings.h"

#include <algorithm>

namespace program
{

bool Program::assemble(QString &error)
{
    source = std::make_shared<const diagnostics::SourceText>(text);
    image.clear();
    labels.clear();
    errors.clear();
    warnings.clear();
    omitted = 0;
    // The window's assembler judges; a text with more lines than the memory
    // has cells it refuses before reading any, so it is not asked.
    const QList<diagnostics::SourceLine> &lines = source->lines();
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    QString refusal;
    if (lines.size() > machine::kMemorySize) {
        refusal = QStringLiteral("too many lines");
    } else {
        try {
            image = splitText(assembler.assemble(text), QStringLiteral("\n"));
        } catch (const QString &message) {
            refusal = message;
        }
    }
    if (!refusal.isEmpty()) {
        image.clear();
        errors = diagnostics::errors(*source, diagnostics::kErrorLimit, &omitted);
        // The checks find every error the assembler finds; should they ever
        // miss one, its own message is shown rather than none.
        if (errors.isEmpty()) {
            diagnostics::Diagnostic refused(diagnostics::Severity::Error,
                                            diagnostics::Code::AssemblyError, {},
                                            refusal.trimmed());
            const qint32 stored = assembler.errorLine;
            if (stored >= 0 && stored < assembler.lineCount)
                refused.range.line = assembler.lineNumbers[std::size_t(stored)];
            errors.append(refused);
        }
        error = linesOf(errors).join(QLatin1Char('\n'));
        return false;
    }
    for (qsizetype k = 0; k < image.size(); ++k) {
        const diagnostics::SourceLine &line = lines[k];
        lineNumbers[std::size_t(k)] = line.number;
        const bool labelled = line.words.first().role == diagnostics::Role::Label;
        labels.append(labelled ? line.words.first().written().toString() : QString());
    }
    warnings = diagnostics::warnings(*source, image, kWarningLimit, &omitted);
    return true;
}

bool Program::holdsData(qint32 address) const
{
    if (!source || address < 0 || address >= image.size())
        return false;
    const diagnostics::Word *mnemonic = source->mnemonicOf(address);
    return mnemonic != nullptr && diagnostics::isData(mnemonic->mnemonic());
}

QList<diagnostics::Diagnostic> Program::runNotes(const diagnostics::RunStop &stop) const
{
    if (!source || !errors.isEmpty())
        return {};
    return diagnostics::runNotes(*source, stop);
}

diagnostics::Diagnostic Program::runError(qint32 address, diagnostics::Code code,
                                          const QString &message) const
{
    // Only an address that a line assembled to names a line.
    const bool fromLine = address >= 0 && address < image.size() && machine::isAddress(address);
    if (!source)
        return diagnostics::Diagnostic(diagnostics::Severity::Error, code, {}, message);
    return diagnostics::runError(*source, fromLine ? address : -1, code, message);
}

QList<diagnostics::Diagnostic> Program::runEnd(const machine::RunEnd &end, quint64 maxSteps) const
{
    const QList<diagnostics::Diagnostic> error{
        end.kind == machine::RunEnd::Fault
            ? runError(end.address, diagnostics::Code::RunError, faultText(end.fault, end.address))
            : runError(-1, diagnostics::Code::StepLimit, diagnostics::stepLimitText(end.steps))};
    return error + runNotes(runStopOf(end, maxSteps));
}

QString Program::faultText(const machine::Fault &fault, qint32 address) const
{
    return source ? diagnostics::faultText(*source, fault, address) : diagnostics::faultText(fault);
}

QString Program::lineOf(const diagnostics::Diagnostic &diagnostic) const
{
    return name + (diagnostic.range.line > 0 ? QStringLiteral(":") : QStringLiteral(": ")) +
           diagnostics::oneLine(diagnostic);
}

QStringList Program::linesOf(const QList<diagnostics::Diagnostic> &diagnostics) const
{
    QStringList lines;
    for (const diagnostics::Diagnostic &diagnostic : diagnostics::flattened(diagnostics)) {
        lines.append(lineOf(diagnostic));
        // A related place, such as a label's first definition, as a note of its own.
        for (const diagnostics::Related &place : diagnostic.related)
            lines.append(lineOf(diagnostics::Diagnostic(
                diagnostics::Severity::Note, diagnostic.code, place.range, place.message)));
    }
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

qint32 Program::lineNumberOf(qint32 address) const
{
    if (address < 0 || address >= image.size() || !machine::isAddress(address))
        return 0;
    return lineNumbers[std::size_t(address)];
}

QString Program::locationOf(qint32 address) const
{
    const qint32 line = lineNumberOf(address);
    if (line == 0)
        return {};
    return name + QLatin1Char(':') + QString::number(line) + QLatin1String(": ");
}

void loadImage(const Program &program, machine::Processor &processor)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, address < program.image.size() ? program.image[address]
                                                                  : QString(machine::kEmptyWord));
}

} // namespace program
