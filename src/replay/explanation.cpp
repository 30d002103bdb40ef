#include "replay/explanation.h"

#include "machine/instructionset.h"
#include "program/stepeffect.h"

namespace replay
{

QString fetchText(const program::Program &program, qint32 address, const QString &word)
{
    QString text = QLatin1String("cell ") + program::addressText(address);
    if (const qint32 line = program.lineNumberOf(address); line > 0)
        text += QStringLiteral(" (line %1)").arg(line);
    return text + QLatin1String(": ") + word;
}

QString decodeText(const program::Program &program, qint32 opcode, qint32 operand)
{
    const machine::Instruction *row = machine::instructionFor(opcode);
    if (!row)
        return QString::number(opcode);
    QString text = row->mnemonic;
    if (row->operand == machine::Operand::Address) {
        text += QLatin1Char(' ') + program::addressText(operand);
        const QString label = operand >= 0 ? program.labels.value(operand) : QString();
        if (!label.isEmpty())
            text += QLatin1String(" (") + label + QLatin1Char(')');
    }
    return text;
}

QString executeText(const machine::Step &step, const QString &operandReport)
{
    if (!operandReport.isEmpty())
        return operandReport;
    if (step.opcode == machine::Halt)
        return QStringLiteral("halt");

    std::string effect;
    program::appendEffect(effect, step);
    QString text = QString::fromStdString(effect).trimmed();
    // The instructions that set the accumulator; a division by zero leaves it.
    bool setsAccumulator = false;
    switch (step.opcode) {
    case machine::Add:
    case machine::Subtract:
    case machine::Multiply:
    case machine::Load:
    case machine::Input:
        setsAccumulator = true;
        break;
    case machine::Divide:
        setsAccumulator = step.effect != machine::Step::Effect::FlagsSet;
        break;
    default:
        break;
    }
    if (setsAccumulator) {
        const QString accumulator = QStringLiteral("accumulator ← %1").arg(step.accumulator);
        text = text.isEmpty() ? accumulator : accumulator + QLatin1String(", ") + text;
    }
    return text;
}

} // namespace replay
