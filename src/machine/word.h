#pragma once

// The machine's memory layout and the text forms of a memory word.
//
// Every memory cell holds a word as text. Three texts are recognised only as
// whole words (halt, input, output); any other word is read as a two-character
// operation code followed by a decimal address, and as a number when an
// instruction reads the cell as an operand.

#include <QLatin1String>
#include <QtGlobal>

namespace machine
{

inline constexpr int kMemorySize = 100;
inline constexpr int kMemoryRows = 10;
inline constexpr int kMemoryColumns = 10;

// The memory table shows address a at row a / 10, column a % 10.
constexpr int rowOf(int address)
{
    return address / kMemoryColumns;
}
constexpr int columnOf(int address)
{
    return address % kMemoryColumns;
}
constexpr int addressAt(int row, int column)
{
    return row * kMemoryColumns + column;
}
constexpr bool isAddress(qint64 value)
{
    return value >= 0 && value < kMemorySize;
}

// Text of a cell that holds nothing yet.
inline constexpr QLatin1String kEmptyWord{"00"};
// Words recognised as a whole.
inline constexpr QLatin1String kHaltWord{"000"};
inline constexpr QLatin1String kInputWord{"1201"};
inline constexpr QLatin1String kOutputWord{"1202"};

// Operation codes as decoded from a word.
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
};

// The mnemonic of an operation code, or an empty text for a code that is no instruction.
QLatin1String mnemonicOf(qint32 opcode);

} // namespace machine
