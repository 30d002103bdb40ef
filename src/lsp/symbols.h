#pragma once

#include "lsp/request.h"

namespace lsp
{

// textDocument/documentSymbol: every label definition, a code label as a
// function and a data label as a variable, with its cell.
Answer documentSymbols(const DocumentRequest &request);

// textDocument/semanticTokens/full: mnemonics as keywords, labels as
// functions (code) or variables (data), data values as numbers; a label where
// it is defined carries the declaration modifier.
Answer semanticTokens(const DocumentRequest &request);
// The token types and modifiers, in the order the tokens' numbers refer to.
QJsonObject semanticTokensLegend();

} // namespace lsp
