#pragma once

// The row of the instruction table that an upper-cased word names, as the
// assembler's opcode table finds it.

#include "machine/instructionset.h"

#include <QStringView>

namespace diagnostics
{

constexpr bool everyMnemonicHasThreeLetters()
{
    for (const machine::Instruction &row : machine::kInstructionSet) {
        if (row.mnemonic.size() != 3)
            return false;
    }
    return true;
}
static_assert(everyMnemonicHasThreeLetters(), "rowOf looks only at words of three letters");

// The row of a mnemonic, or null for a word that is none.
inline const machine::Instruction *rowOf(QStringView key)
{
    // Every mnemonic has three letters; most words are labels of other lengths.
    if (key.size() != 3)
        return nullptr;
    for (const machine::Instruction &row : machine::kInstructionSet) {
        // The first letter rules out most rows without a full comparison.
        if (row.mnemonic.front() == key.front() && row.mnemonic == key)
            return &row;
    }
    return nullptr;
}

// True for the data directive.
inline bool isData(const machine::Instruction *row)
{
    return row != nullptr && row->opcode == machine::Data;
}

} // namespace diagnostics
