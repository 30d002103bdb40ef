#pragma once

// What the server knows of one version of a document, found once and shared
// by every feature: the program read and assembled, with its errors or
// warnings, and its words as the features look them up.

#include "lsp/document.h"
#include "lsp/labelindex.h"
#include "program/program.h"

namespace lsp
{

struct DocumentModel {
    // Built from the text as the checks read it (see CheckedText).
    explicit DocumentModel(const Document &document);

    program::Program program;
    bool assembled;
    LabelIndex index;
};

} // namespace lsp
