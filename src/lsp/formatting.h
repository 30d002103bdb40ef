#pragma once

#include "lsp/request.h"
#include "program/program.h"

#include <QString>

namespace lsp
{

struct Layout {
    qint32 tabSize = 8;
    bool insertSpaces = false;
};

// The text with labels, mnemonics and operands in columns, every line where
// it was (lines the assembler skips are left as they are). The text unchanged
// when it does not assemble, or when the result would not assemble to the
// same memory image.
QString formatted(const QString &text, const Layout &layout);
// The same for a program already read, which assembled or not.
QString formatted(const program::Program &program, bool assembled, const Layout &layout);

// textDocument/formatting: formatted() as one edit per line that changes.
Answer formatting(const DocumentRequest &request);

} // namespace lsp
