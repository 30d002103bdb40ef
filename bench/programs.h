#pragma once

// The programs every benchmark runs, and their memory images.

#include "reference.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace bench
{

// Reads a start value, stores it in `count`, then counts it down to 0:
// LDA, SUB, STA, BRP per round, HLT at the end.
QString countDownProgram();
// The same loop with an OUT after the LDA: one output line per round.
QString countDownOutputProgram();

// Steps the count-down program takes from start value n (n >= 1):
// INP and STA, four per round, HLT.
constexpr std::uint64_t countDownSteps(std::int32_t n)
{
    return 2 + 4 * std::uint64_t(n) + 1;
}

// The start value of the speed runs: large enough that the reference
// interpreter, the fastest of the three, needs well over 0.2 s for one run.
inline constexpr std::int32_t kCountDownStart = 100'000'000;

// The block repeated as often as it fits whole into 1 MiB of UTF-8.
QString repeatedToOneMebibyte(const QString &block);

// The assembled words of a program (throws the assembler's message).
QStringList assembleImage(const QString &program);
// The same words as the reference interpreter's integers: each instruction
// word in the interpreter's form (the assembler writes LDA 8 as "068", the
// interpreter reads 608), each other word as its number; cells past the
// program hold 0. Right for every program whose instruction words are not
// also read as numbers, as in the programs here.
reference::Memory referenceMemory(const QStringList &image);

} // namespace bench
