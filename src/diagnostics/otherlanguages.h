#pragma once

// Words that other assembly languages use for this machine's instructions,
// so that a student who learnt one of them hears which mnemonic is meant.

#include "machine/instructionset.h"

#include <QString>

namespace diagnostics
{

// The instruction an upper-cased word from another assembly language means
// (LOAD gives LDA, JMP gives BRA), or null for a word the table does not hold.
const machine::Instruction *otherLanguageMnemonic(const QString &key);

} // namespace diagnostics
