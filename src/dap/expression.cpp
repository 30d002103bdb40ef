#include "dap/expression.h"

#include "machine/instructionset.h"
#include "machine/instructionword.h"

#include <QRegularExpression>

namespace dap
{

QString registerValue(const Session &session, Which which)
{
    // The step count in full: operandValue() stops it at the largest qint64.
    if (which == Which::Steps)
        return QString::number(session.processor().executedSteps());
    return QString::number(
        operandValue(session.processor(), Target{Target::Register, which, 0}).value_or(0));
}

std::optional<Target> cellTarget(const QString &name)
{
    static const QRegularExpression cell(QStringLiteral("^(\\d\\d)( \\S+)?$"));
    const QRegularExpressionMatch match = cell.match(name.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return Target{Target::Cell, Which::Accumulator, match.captured(1).toInt()};
}

std::optional<Target> parseTarget(const Session &session, const QString &expression)
{
    QString error;
    return readOperand(
        expression,
        [&session](const QString &name) { return labelAddress(session.program(), name); }, error);
}

QString valueOf(const Session &session, const Target &target)
{
    switch (target.kind) {
    case Target::Register:
        return registerValue(session, target.which);
    case Target::Cell:
        return session.processor().word(target.address);
    case Target::Label:
        return describeLabel(session, target.address);
    }
    return {};
}

QString assign(Session &session, const Target &target, const QString &value)
{
    if (target.kind != Target::Register)
        return session.timeline().setCell(target.address, value);
    switch (target.which) {
    case Which::Accumulator:
        return session.timeline().setAccumulator(value);
    case Which::Flags:
        return session.timeline().setFlags(value);
    default:
        return QStringLiteral("Only the accumulator and the flags can be changed.");
    }
}

QString describeLabel(const Session &session, qint32 address)
{
    const QString cell = QStringLiteral("cell ") + program::addressText(address);
    if (!session.program().holdsData(address))
        return cell;
    return session.processor().word(address) + QLatin1String(" (") + cell + QLatin1Char(')');
}

QString cellName(const Session &session, qint32 address)
{
    const QString label = session.program().labels.value(address);
    return program::addressText(address) + (label.isEmpty() ? QString() : QLatin1Char(' ') + label);
}

QString describeCell(const Session &session, qint32 address)
{
    const QString word = session.processor().word(address);
    QString text = program::addressText(address) + QLatin1String(": ");
    const machine::Decoded decoded = machine::decodeWord(word);
    const machine::Instruction *row =
        decoded.ok() ? machine::instructionFor(decoded.opcode) : nullptr;
    if (!row)
        return text + word;
    text += row->mnemonic;
    if (row->operand == machine::Operand::Address) {
        text += QLatin1Char(' ') + cellName(session, decoded.address);
    }
    return text;
}

} // namespace dap
