#pragma once

// The machine's memory and where each cell is shown.
//
// Every memory cell holds a word as text: read as an instruction when the
// program counter reaches it (see the instruction set), and as a number when
// an instruction reads the cell as an operand.

#include <QLatin1String>
#include <QString>
#include <QtGlobal>

namespace machine
{

inline constexpr int kMemorySize = 100;
inline constexpr int kMemoryRows = 10;
inline constexpr int kMemoryColumns = 10;
static_assert(kMemoryRows * kMemoryColumns == kMemorySize);

// The memory table shows address a at row a / 10, column a % 10.
constexpr int rowOf(int address)
{
    return address / kMemoryColumns;
}
constexpr int columnOf(int address)
{
    return address % kMemoryColumns;
}
constexpr bool isAddress(qint64 value)
{
    return value >= 0 && value < kMemorySize;
}

// An address as the memory table numbers it: two digits, 00 to 99.
inline QString addressText(qint32 address)
{
    return QStringLiteral("%1").arg(address, 2, 10, QLatin1Char('0'));
}

// Text of a cell that holds nothing yet.
inline constexpr QLatin1String kEmptyWord{"00"};

} // namespace machine
