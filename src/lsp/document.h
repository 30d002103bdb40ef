#pragma once

// An open document as the client edits it, and the protocol's positions in
// it: a line counted from 0 and a character in UTF-16 code units, which is
// what QString counts.

#include <QJsonObject>
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

// {"line": .., "character": ..} and back; a malformed one reads as line -1.
QJsonObject toJson(const Position &position);
Position positionFrom(const QJsonValue &value);
QJsonObject rangeJson(const Position &start, const Position &end);

class Document
{
public:
    Document() = default;
    Document(QString text, qint32 version) : text_(std::move(text)), version_(version) {}
    ~Document();
    Document(const Document &) = default;
    Document &operator=(const Document &) = default;

    const QString &text() const { return text_; }
    qint32 version() const { return version_; }

    // One entry of didChange's contentChanges: the whole text, or a range
    // and its new text. False, with the document unchanged, for a change
    // that names no place in it.
    bool apply(const QJsonObject &change, QString &problem);
    void setVersion(qint32 version) { version_ = version; }

    // The offset in text() of a position; a character past the end of its
    // line is taken as the line's end, and a line past the last as the
    // document's end, as the protocol asks. -1 for a malformed position.
    qsizetype offsetOf(const Position &position) const;
    Position positionOf(qsizetype offset) const;
    // Lines are ended by a line feed; a document has one line more than it has line feeds.
    qint32 lineCount() const;
    Position end() const { return positionOf(text_.size()); }

    // The model of the text as it is now, found on first use and kept
    // until the text changes.
    const DocumentModel &model() const;

private:
    QString text_;
    qint32 version_ = 0;
    mutable std::shared_ptr<const DocumentModel> model_;
};

} // namespace lsp
