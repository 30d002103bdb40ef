#pragma once

// A document's text as korvane-run reads the same bytes from a file: each
// carriage return before a line feed is dropped, every other character is
// kept. The checks run on this text; their places are turned back into
// offsets in the document, so that Windows line ends change no diagnostic and
// carriage returns alone (old Mac line ends) are reported as korvane-run
// reports them, at the lines the editor shows.

#include <QList>
#include <QString>
#include <QtGlobal>

namespace lsp
{

class CheckedText
{
public:
    CheckedText() = default;
    explicit CheckedText(const QString &document);

    const QString &text() const { return text_; }
    // Lines of text(), ended by line feeds alone, as the checks count them.
    qint32 lineCount() const { return qint32(lineStarts_.size()); }
    // The offset in text() where each line starts.
    const QList<qsizetype> &lineStarts() const { return lineStarts_; }

    // The offset in text() of byte `bytes` of the UTF-8 form of line `line`
    // (counted from 1); past the line's end is its end, past the last line
    // the text's end.
    qsizetype offsetOf(qint32 line, qint32 bytes) const;
    // The offset in the document of an offset in text(). A line feed whose
    // carriage return was dropped maps to that carriage return, so that the
    // end of a line stays before the whole line end.
    qsizetype documentOffset(qsizetype offset) const;

private:
    QString text_;
    QList<qsizetype> lineStarts_;
    QList<qsizetype> droppedBefore_; // offsets in text_ of the line feeds that lost a CR
};

} // namespace lsp
