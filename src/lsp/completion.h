#pragma once

#include "lsp/request.h"

namespace lsp
{

// textDocument/completion: the mnemonics, with what each does, where an
// instruction starts; the labels after a mnemonic that takes one, data labels
// first after those that read or write a cell, code labels first after branches.
Answer completion(const DocumentRequest &request);

} // namespace lsp
