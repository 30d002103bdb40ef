#pragma once

// The machine's instruction set: the one table of the fifteen mnemonics.
//
// The assembler's opcode table, the processor's operation codes, the words
// recognised as a whole, and the mnemonics that messages, listings and traces
// show are all taken from here.

#include <QLatin1String>
#include <QtGlobal>

#include <array>

namespace machine
{

// Names of the operation codes that a word decodes to.
enum Opcode : qint32 {
    Halt = 0,
    Add = 1,
    Subtract = 2,
    Multiply = 3,
    Divide = 4,
    Store = 5,
    Load = 6,
    Branch = 7,
    BranchIfZero = 8,
    BranchIfPositive = 9,
    BranchIfNegative = 10,
    BranchIfFlag = 11,
    Input = 1201,
    Output = 1202,
    // The data directive's code text reads as -1; no instruction has that code.
    Data = -1,
};

// What follows a mnemonic on a line, and so what its word holds.
enum class Operand : quint8 {
    None,    // nothing: the code text is the whole word
    Address, // the address of a label, written after the code text
    Value,   // a directive, not an instruction: its word is the data value
};

struct Instruction {
    QLatin1String mnemonic;
    QLatin1String code; // code text: the leading part of the word
    Opcode opcode;      // the code text read as a decimal number
    Operand operand;
    // What it does, in one line, for editors' hover and completion.
    QLatin1String meaning;

    constexpr bool isInstruction() const { return operand != Operand::Value; }
    constexpr bool isBranch() const { return opcode >= Branch && opcode <= BranchIfFlag; }
};

// In the order in which the assembler enters them into its opcode table.
inline constexpr std::array<Instruction, 15> kInstructionSet = {{
    {QLatin1String("ADD"), QLatin1String("01"), Add, Operand::Address,
     QLatin1String("accumulator <- accumulator + value of cell x")},
    {QLatin1String("SUB"), QLatin1String("02"), Subtract, Operand::Address,
     QLatin1String("accumulator <- accumulator - value of cell x")},
    {QLatin1String("MUL"), QLatin1String("03"), Multiply, Operand::Address,
     QLatin1String("accumulator <- accumulator * value of cell x")},
    {QLatin1String("DIV"), QLatin1String("04"), Divide, Operand::Address,
     QLatin1String("accumulator <- accumulator / value of cell x, truncated toward zero; dividing "
                   "by 0 leaves the accumulator alone and sets the flags to 1")},
    {QLatin1String("STA"), QLatin1String("05"), Store, Operand::Address,
     QLatin1String("cell x <- accumulator")},
    {QLatin1String("LDA"), QLatin1String("06"), Load, Operand::Address,
     QLatin1String("accumulator <- value of cell x")},
    {QLatin1String("BRA"), QLatin1String("07"), Branch, Operand::Address,
     QLatin1String("jump to x")},
    {QLatin1String("BRZ"), QLatin1String("08"), BranchIfZero, Operand::Address,
     QLatin1String("jump to x if the accumulator is 0")},
    {QLatin1String("BRP"), QLatin1String("09"), BranchIfPositive, Operand::Address,
     QLatin1String("jump to x if the accumulator is greater than 0")},
    {QLatin1String("BRN"), QLatin1String("10"), BranchIfNegative, Operand::Address,
     QLatin1String("jump to x if the accumulator is less than 0")},
    {QLatin1String("BRG"), QLatin1String("11"), BranchIfFlag, Operand::Address,
     QLatin1String("jump to x if the flags are 1 (after a division by zero)")},
    {QLatin1String("INP"), QLatin1String("1201"), Input, Operand::None,
     QLatin1String("accumulator <- a number you type")},
    {QLatin1String("OUT"), QLatin1String("1202"), Output, Operand::None,
     QLatin1String("add the accumulator to the output")},
    {QLatin1String("HLT"), QLatin1String("000"), Halt, Operand::None, QLatin1String("stop")},
    {QLatin1String("DAT"), QLatin1String("-1"), Data, Operand::Value,
     QLatin1String("a data cell labelled name, holding v (0 when left out)")},
}};

// The row of an operation code that the table holds.
constexpr const Instruction &instruction(Opcode opcode)
{
    for (const Instruction &row : kInstructionSet) {
        if (row.opcode == opcode)
            return row;
    }
    throw "no such operation code"; // a compile-time error where it is used as a constant
}

// The instruction a decoded operation code names, or null for a code that is none.
const Instruction *instructionFor(qint32 opcode);

// The mnemonic of an instruction's operation code, or an empty text for a code that is none.
QLatin1String mnemonicOf(qint32 opcode);

namespace detail
{

// A code text read as a decimal number: optional minus sign, then digits.
constexpr qint64 codeValue(QLatin1String code)
{
    qint64 value = 0;
    const bool negative = code.size() > 0 && code[0].toLatin1() == '-';
    for (qsizetype i = negative ? 1 : 0; i < code.size(); ++i)
        value = value * 10 + (code[i].toLatin1() - '0');
    return negative ? -value : value;
}

constexpr bool tableIsConsistent()
{
    for (const Instruction &row : kInstructionSet) {
        // The processor reads the operation code from the word's text.
        if (codeValue(row.code) != row.opcode)
            return false;
        // Words cut after two characters: an operand follows a two-character code.
        if (row.operand == Operand::Address && row.code.size() != 2)
            return false;
    }
    return true;
}

static_assert(tableIsConsistent(), "each code text must read as its operation code");

} // namespace detail

} // namespace machine
