#pragma once

// textDocument/hover: what a word means on its line.

#include "lsp/request.h"

namespace lsp
{

// On a mnemonic, its one-line meaning from the instruction table and the
// word the line assembles to (once the program assembles); on a label, its
// cell and, for a data label, its value; on a DAT value, what the cell holds.
Answer hover(const DocumentRequest &request);

} // namespace lsp
