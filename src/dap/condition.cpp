#include "dap/condition.h"

#include "machine/decimal.h"
#include "machine/instructionset.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdint>

namespace dap
{

namespace
{

// A whole number, signed, within 64 bits.
std::optional<qint64> readNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?\\d{1,18}$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

} // namespace

const std::array<Register, 6> &registerTable()
{
    static const std::array<Register, 6> table = {{
        {"program counter", "pc", Which::ProgramCounter},
        {"accumulator", "acc", Which::Accumulator},
        {"flags", "flags", Which::Flags},
        {"opcode", "opcode", Which::Opcode},
        {"address", "address", Which::Address},
        {"steps", "steps", Which::Steps},
    }};
    return table;
}

std::optional<Operand> registerTarget(const QString &name)
{
    const QString simple = name.simplified();
    for (const Register &row : registerTable()) {
        if (simple.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0 ||
            simple.compare(QLatin1String(row.evaluateName), Qt::CaseInsensitive) == 0)
            return Operand{Operand::Register, row.which, 0};
    }
    return std::nullopt;
}

QString noCellText(const QString &cell)
{
    return QStringLiteral("There is no cell %1: the memory has cells 00 to 99.").arg(cell);
}

std::optional<Operand> readOperand(const QString &text, const LabelLookup &labels, QString &error)
{
    static const QRegularExpression cell(QStringLiteral("^\\[\\s*(\\d+)\\s*\\]$"));
    const QString name = text.simplified();
    if (const std::optional<Operand> named = registerTarget(name))
        return named;
    if (const QRegularExpressionMatch match = cell.match(name); match.hasMatch()) {
        bool ok = false;
        const qint32 address = match.captured(1).toInt(&ok);
        if (ok && machine::isAddress(address))
            return Operand{Operand::Cell, Which::Accumulator, address};
        error = noCellText(match.captured(1));
        return std::nullopt;
    }
    if (const std::optional<qint32> address = labels ? labels(name) : std::nullopt)
        return Operand{Operand::Label, Which::Accumulator, *address};
    error = QStringLiteral("'%1' is not acc, flags, pc, a label or a cell like [07].").arg(name);
    return std::nullopt;
}

std::optional<qint64> operandValue(const machine::Processor &processor, const Operand &operand)
{
    if (operand.kind != Operand::Register) {
        const machine::Decimal value = machine::parseDecimal(processor.word(operand.address));
        if (!value.ok())
            return std::nullopt;
        return value.value;
    }
    const machine::Processor::Registers registers = processor.registers();
    switch (operand.which) {
    case Which::ProgramCounter:
        return registers.pc;
    case Which::Accumulator:
        return registers.accumulator;
    case Which::Flags:
        return registers.flags;
    case Which::Opcode:
        return registers.opcode;
    case Which::Address:
        return registers.address;
    case Which::Steps:
        return qint64(std::min<quint64>(registers.executedSteps, quint64(INT64_MAX)));
    }
    return std::nullopt;
}

std::optional<Condition> Condition::parse(const QString &text, const LabelLookup &labels,
                                          QString &error)
{
    // X OP N, then ("and" | "or") X OP N ..., each matched where the last ended.
    static const QRegularExpression comparison(
        QStringLiteral("\\s*(\\[\\s*\\d+\\s*\\]|[^\\s=!<>\\[\\]]+(?:\\s+[^\\s=!<>\\[\\]]+)*?)"
                       "\\s*(==|!=|<=|>=|<|>)\\s*"
                       "([+-]?\\d+)\\s*(?:(and|or)\\s+|$)"),
        QRegularExpression::CaseInsensitiveOption);
    Condition condition;
    qsizetype at = 0;
    bool orNext = false;
    if (text.trimmed().isEmpty()) {
        error = QStringLiteral("The condition is empty.");
        return std::nullopt;
    }
    while (at < text.size()) {
        const QRegularExpressionMatch match =
            comparison.match(text, at, QRegularExpression::NormalMatch,
                             QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch()) {
            error = QStringLiteral("The condition '%1' does not read at '%2': write comparisons "
                                   "like 'acc > 10' joined by 'and' or 'or'.")
                        .arg(text.trimmed(), text.mid(at).trimmed());
            return std::nullopt;
        }
        Comparison part;
        part.orWithBefore = orNext;
        const std::optional<Operand> operand = readOperand(match.captured(1), labels, error);
        if (!operand)
            return std::nullopt;
        part.operand = *operand;
        const QString op = match.captured(2);
        part.op = op == QLatin1String("==")   ? Op::Equal
                  : op == QLatin1String("!=") ? Op::NotEqual
                  : op == QLatin1String("<")  ? Op::Less
                  : op == QLatin1String("<=") ? Op::LessOrEqual
                  : op == QLatin1String(">")  ? Op::Greater
                                              : Op::GreaterOrEqual;
        const std::optional<qint64> value = readNumber(match.captured(3));
        if (!value) {
            error = QStringLiteral("'%1' is too large a number.").arg(match.captured(3));
            return std::nullopt;
        }
        part.value = *value;
        condition.comparisons.append(part);
        const QString joiner = match.captured(4).toLower();
        at = match.capturedEnd(0);
        if (joiner.isEmpty())
            break;
        orNext = joiner == QLatin1String("or");
        if (at >= text.size()) {
            error =
                QStringLiteral("The condition '%1' ends with '%2'.").arg(text.trimmed(), joiner);
            return std::nullopt;
        }
    }
    return condition;
}

bool Condition::holds(const machine::Processor &processor) const
{
    bool result = false;
    for (const Comparison &part : comparisons) {
        const std::optional<qint64> value = operandValue(processor, part.operand);
        bool holds = false;
        if (value) {
            switch (part.op) {
            case Op::Equal:
                holds = *value == part.value;
                break;
            case Op::NotEqual:
                holds = *value != part.value;
                break;
            case Op::Less:
                holds = *value < part.value;
                break;
            case Op::LessOrEqual:
                holds = *value <= part.value;
                break;
            case Op::Greater:
                holds = *value > part.value;
                break;
            case Op::GreaterOrEqual:
                holds = *value >= part.value;
                break;
            }
        }
        result = &part == &comparisons.first() ? holds
                 : part.orWithBefore           ? result || holds
                                               : result && holds;
    }
    return result;
}

std::optional<HitCondition> HitCondition::parse(const QString &text, QString &error)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(>=|%)?\\s*(\\d{1,18})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    HitCondition hit;
    if (match.hasMatch()) {
        hit.kind = match.captured(1).isEmpty()                ? Kind::Exactly
                   : match.captured(1) == QLatin1String(">=") ? Kind::AtLeast
                                                              : Kind::EveryNth;
        hit.count = match.captured(2).toULongLong();
        if (hit.count > 0)
            return hit;
    }
    error = QStringLiteral("The hit count '%1' does not read: write N (the Nth hit), '>= N' or "
                           "'% N' (every Nth), N a whole number from 1.")
                .arg(text.trimmed());
    return std::nullopt;
}

bool HitCondition::stopsAt(quint64 hits) const
{
    switch (kind) {
    case Kind::Exactly:
        return hits == count;
    case Kind::AtLeast:
        return hits >= count;
    case Kind::EveryNth:
        return hits % count == 0;
    }
    return false;
}

std::optional<LogMessage> LogMessage::parse(const QString &text, const LabelLookup &labels,
                                            QString &error)
{
    LogMessage message;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), at);
        if (open < 0) {
            message.pieces.append({text.mid(at), std::nullopt});
            break;
        }
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            error = QStringLiteral("The log message has a '{' without its '}'.");
            return std::nullopt;
        }
        if (open > at)
            message.pieces.append({text.mid(at, open - at), std::nullopt});
        const std::optional<Operand> operand =
            readOperand(text.mid(open + 1, close - open - 1).trimmed(), labels, error);
        if (!operand) {
            error = QStringLiteral("The log message cannot fill in {%1}: ")
                        .arg(text.mid(open + 1, close - open - 1)) +
                    error;
            return std::nullopt;
        }
        message.pieces.append({QString(), operand});
        at = close + 1;
    }
    return message;
}

// A cell is shown as it is written, as the Memory scope shows it.
QString LogMessage::text(const machine::Processor &processor) const
{
    QString text;
    for (const Piece &piece : pieces) {
        if (!piece.value)
            text += piece.text;
        else if (piece.value->kind != Operand::Register)
            text += processor.word(piece.value->address);
        else
            text += QString::number(operandValue(processor, *piece.value).value_or(0));
    }
    return text;
}

} // namespace dap
