#pragma once

#include "lsp/document.h"
#include "lsp/request.h"

#include <QList>
#include <QString>

namespace lsp
{

struct Layout {
    qint32 tabSize = 8;
    bool insertSpaces = false;
};

// A line's new text, without its line end, which stays as it was.
struct LineEdit {
    qint32 line = 0;
    QString text;
};

// Labels, mnemonics and operands in columns measured in display width, every
// line where it was (lines the assembler skips are left as they are): the
// lines that change, in order. None, and the reason, for a program that does
// not assemble, whose lines carriage returns alone run together, or whose
// layout would not assemble to the same memory image.
struct Formatting {
    QList<LineEdit> edits;
    QString refusal;
};
Formatting formattingOf(const Document &document, const Layout &layout);

// The text with formattingOf()'s edits applied; unchanged when refused.
QString formatted(const QString &text, const Layout &layout);

// textDocument/formatting: one edit per line that changes; a refused one is
// answered with no edits and a window/showMessage saying why.
Answer formatting(const DocumentRequest &request);

} // namespace lsp
