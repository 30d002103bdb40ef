#pragma once

// Operands written as other assembly languages or word processors write
// them: arithmetic (table+1), brackets ([x], (x)), quotes of any kind and
// lists with commas (x, y). Each is one label here.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

namespace diagnostics
{

// What the finders need to know of the program beyond the line.
struct ShapeContext {
    // Whether an upper-cased name is a label of the program.
    std::function<bool(const QString &key)> hasLabel;
    // A name no label and no mnemonic has: the wanted one, or it with a number after it.
    std::function<QString(const QString &wanted)> freeName;
    // The stored lines and the line index of each label, to build fixes;
    // null when only what is wrong counts.
    const QList<SourceLine> *lines = nullptr;
    const QHash<QString, qint32> *labels = nullptr;
};

// The error about an operand word of these shapes, if it is one of them.
std::optional<Diagnostic> operandShape(const ShapeContext &context, const SourceLine &line,
                                       const Word &word);

// The error about a line whose words after its mnemonic are a list with
// commas: "x, y" after an instruction, or "1, 2, 3" after DAT.
std::optional<Diagnostic> listOnLine(const ShapeContext &context, const SourceLine &line);

} // namespace diagnostics
