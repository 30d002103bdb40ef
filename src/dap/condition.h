#pragma once

// What a breakpoint may ask beyond its place: a condition on the machine
// ("acc > 10 and [07] != 0"), a hit count ("3", ">= 3", "% 3") and a log
// message with values filled in ("total is {acc}"). Each is read once, when
// the breakpoint is set; a text that does not read leaves the breakpoint
// unverified with the reason.

#include "machine/processor.h"

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace dap
{

// The cell a label names, or none.
using LabelLookup = std::function<std::optional<qint32>(const QString &name)>;

// The registers an expression names.
enum class Which : quint8 { ProgramCounter, Accumulator, Flags, Opcode, Address, Steps };

struct Register {
    const char *name;         // as the Registers scope shows it
    const char *evaluateName; // the short name an expression may use
    Which which;
};

// The registers in the order the Registers scope lists them.
const std::array<Register, 6> &registerTable();

// What an expression names, in conditions, log messages, hit counts and the
// debug console alike: a register by either of its names ("acc",
// "accumulator", "pc", "program counter", ...), upper and lower case alike,
// a cell as "[07]", or a label (its cell).
struct Operand {
    enum Kind : quint8 { Register, Cell, Label };
    Kind kind = Cell;
    Which which = Which::Accumulator; // Register
    qint32 address = 0;               // Cell, Label: the cell
};

// A register by its name or short name ("acc", "accumulator", "pc", "program
// counter", ...), upper and lower case alike.
std::optional<Operand> registerTarget(const QString &name);

// "There is no cell N: the memory has cells 00 to 99.", with N as written.
QString noCellText(const QString &cell);

// The one reader of such names: the operand, or none with why in `error`.
std::optional<Operand> readOperand(const QString &name, const LabelLookup &labels, QString &error);

// The value of an operand in the machine now; none for a cell that holds no number.
std::optional<qint64> operandValue(const machine::Processor &processor, const Operand &operand);

// Comparisons joined by "and" / "or", taken left to right.
class Condition
{
public:
    // The condition, or none with the reason in `error`.
    static std::optional<Condition> parse(const QString &text, const LabelLookup &labels,
                                          QString &error);
    bool holds(const machine::Processor &processor) const;

private:
    enum class Op : quint8 { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };
    struct Comparison {
        bool orWithBefore = false; // joined to what comes before it by "or" (else "and")
        Operand operand;
        Op op = Op::Equal;
        qint64 value = 0;
    };
    QList<Comparison> comparisons;
};

// When a breakpoint whose condition holds stops, by the number of its hits.
class HitCondition
{
public:
    static std::optional<HitCondition> parse(const QString &text, QString &error);
    bool stopsAt(quint64 hits) const;
    // Once it stops, it stops at every hit after.
    bool fromThenOn() const { return kind == Kind::AtLeast; }

private:
    enum class Kind : quint8 { Exactly, AtLeast, EveryNth };
    Kind kind = Kind::Exactly;
    quint64 count = 1;
};

// A log message: text with "{acc}", "{flags}", "{pc}", "{label}" or "{[NN]}" in it.
class LogMessage
{
public:
    static std::optional<LogMessage> parse(const QString &text, const LabelLookup &labels,
                                           QString &error);
    QString text(const machine::Processor &processor) const;

private:
    struct Piece {
        QString text;                 // written as it is
        std::optional<Operand> value; // or filled in
    };
    QList<Piece> pieces;
};

} // namespace dap
