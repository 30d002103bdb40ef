#pragma once

// textDocument/codeAction: the fixes of the diagnostics in the range asked for.

#include "lsp/request.h"

namespace lsp
{

Answer codeActions(const DocumentRequest &request);

} // namespace lsp
