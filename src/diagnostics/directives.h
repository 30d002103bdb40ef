#pragma once

// Section headers and directives of other assembly languages (.data, .text,
// section, ORG, .word, DB, ...): this one needs none, and writes a value in
// a cell with DAT.

#include "diagnostics/diagnostic.h"
#include "diagnostics/sourcetext.h"

#include <optional>

namespace diagnostics
{

// The error about a refused line that holds such a directive; `lowerCase`:
// whether the program writes its mnemonics in lower case, as the fix then does.
std::optional<Diagnostic> otherDirective(const SourceLine &line, bool lowerCase);

} // namespace diagnostics
