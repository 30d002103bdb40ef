#pragma once

// What the debug console, the watch and hover can name, and what the
// variables show: the registers, a cell ("[07]") and a label.

#include "dap/session.h"

#include <QString>

#include <optional>

namespace dap
{

QString registerValue(const Session &session, Which which);

// What an expression or a variable's name stands for: one reader for all (readOperand).
using Target = Operand;

// A cell by the name the Memory scope gives it: "07" or "07 first".
std::optional<Target> cellTarget(const QString &name);
// A register, a cell as "[NN]" or a label, as readOperand reads them.
std::optional<Target> parseTarget(const Session &session, const QString &expression);

// The value shown for a target.
QString valueOf(const Session &session, const Target &target);
// Sets a target to a typed value; an empty text, or why the value was refused.
QString assign(Session &session, const Target &target, const QString &value);

// How the Labels scope shows the label at a cell: a data label's value and
// its cell, another label's cell.
QString describeLabel(const Session &session, qint32 address);
// The Memory scope's name of a cell: its address, and its label where it has one.
QString cellName(const Session &session, qint32 address);
// The instruction at a cell as a stack frame names it, e.g. "03: ADD 06 num1".
QString describeCell(const Session &session, qint32 address);

} // namespace dap
