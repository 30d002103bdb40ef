#pragma once

// A step told in three parts, as a replay page shows it:
//   fetch cell 03 (line 4): 0608 · decode: LDA 08 (count) · execute: accumulator ← 4
// The execute part uses the words of the trace's effect column.

#include "machine/processor.h"
#include "program/program.h"

#include <QString>

namespace replay
{

// "cell 03 (line 4): 0608"; a cell that no line assembled to has no line.
QString fetchText(const program::Program &program, qint32 address, const QString &word);

// "LDA 08 (count)" with the label of the operand's cell, "LDA 08", or "INP".
QString decodeText(const program::Program &program, qint32 opcode, qint32 operand);

// What the step did: "accumulator ← 4", "[08] = 4", "jump to 05", "not taken",
// "accumulator ← 3, in 3", "out 7", "flags = 1", "halt", with ", wrapped" after
// a result that wrapped around; the processor's report for an operand that is
// no number (empty when there was none).
QString executeText(const machine::Step &step, const QString &operandReport);

} // namespace replay
