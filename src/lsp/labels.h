#pragma once

// The requests that follow a label through a document: definition,
// references, highlight and rename.

#include "lsp/request.h"

namespace lsp
{

Answer definition(const DocumentRequest &request);
Answer references(const DocumentRequest &request);
Answer highlight(const DocumentRequest &request);
Answer prepareRename(const DocumentRequest &request);
// Refused with the reason for a name that is a mnemonic, already used as a
// label, or not a valid label.
Answer rename(const DocumentRequest &request);

} // namespace lsp
