#pragma once

// An open document as the client edits it, and the protocol's positions in
// it: a line counted from 0 and a character in UTF-16 code units, which is
// what QString counts. Lines end as the protocol counts them: at "\r\n",
// "\n" or "\r".

#include "lsp/checkedtext.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace lsp
{

struct DocumentModel;

struct Position {
    qint32 line = 0;
    qint32 character = 0;
};

bool operator<(const Position &a, const Position &b);

// {"line": .., "character": ..} and back; a malformed one reads as line -1.
QJsonObject toJson(const Position &position);
Position positionFrom(const QJsonValue &value);
QJsonObject rangeJson(const Position &start, const Position &end);
// A Location: {"uri": .., "range": ..}.
QJsonObject locationJson(const QString &uri, const QJsonObject &range);

class Document
{
public:
    Document() : Document(QString(), 0) {}
    Document(QString text, qint32 version);
    ~Document();
    Document(const Document &) = default;
    Document &operator=(const Document &) = default;

    const QString &text() const { return text_; }
    qint32 version() const { return version_; }
    // The text as korvane-run reads the same bytes, which every check reads.
    const CheckedText &checked() const { return checked_; }

    // One entry of didChange's contentChanges: the whole text, or a range
    // and its new text, with its positions clamped to the document. False,
    // with the document unchanged, for a change without its text, with a
    // malformed position, or whose end comes before its start.
    bool apply(const QJsonObject &change, QString &problem);
    void setVersion(qint32 version) { version_ = version; }

    // The offset in text() of a position; a character past the end of its
    // line is taken as the line's end, and a line past the last as the
    // document's end, as the protocol asks. -1 for a malformed position.
    qsizetype offsetOf(const Position &position) const;
    // The position of an offset; one inside a line end is the line's end.
    Position positionOf(qsizetype offset) const;
    qint32 lineCount() const { return qint32(lineStarts_.size()); }
    // The characters of a line, without its line end; 0 past the last line.
    qint32 lineLength(qint32 line) const;
    Position end() const { return positionOf(text_.size()); }

    // The model of the text as it is now, found on first use and kept
    // until the text changes.
    const DocumentModel &model() const;

private:
    void reindex();

    QString text_;
    qint32 version_ = 0;
    QList<qsizetype> lineStarts_;
    CheckedText checked_;
    mutable std::shared_ptr<const DocumentModel> model_;
};

} // namespace lsp
