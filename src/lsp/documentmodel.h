#pragma once

// What the server knows of one version of a document, found once and shared
// by every feature: the program read and assembled, with its errors or
// warnings, and its words as the features look them up.

#include "lsp/labelindex.h"
#include "program/program.h"

#include <QString>

namespace lsp
{

struct DocumentModel {
    explicit DocumentModel(const QString &text);

    program::Program program;
    bool assembled;
    LabelIndex index;
};

} // namespace lsp
