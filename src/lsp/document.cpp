#include "lsp/document.h"

#include "lsp/documentmodel.h"

#include <QJsonValue>

#include <algorithm>

namespace lsp
{

bool operator<(const Position &a, const Position &b)
{
    return a.line < b.line || (a.line == b.line && a.character < b.character);
}

QJsonObject toJson(const Position &position)
{
    return QJsonObject{{QStringLiteral("line"), position.line},
                       {QStringLiteral("character"), position.character}};
}

Position positionFrom(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QJsonValue line = object.value(QLatin1String("line"));
    const QJsonValue character = object.value(QLatin1String("character"));
    if (!line.isDouble() || !character.isDouble() || line.toDouble() < 0 ||
        character.toDouble() < 0 || line.toDouble() > 1e9 || character.toDouble() > 1e9)
        return Position{-1, 0};
    return Position{qint32(line.toDouble()), qint32(character.toDouble())};
}

QJsonObject rangeJson(const Position &start, const Position &end)
{
    return QJsonObject{{QStringLiteral("start"), toJson(start)},
                       {QStringLiteral("end"), toJson(end)}};
}

QJsonObject locationJson(const QString &uri, const QJsonObject &range)
{
    return QJsonObject{{QStringLiteral("uri"), uri}, {QStringLiteral("range"), range}};
}

Document::Document(QString text, qint32 version) : text_(std::move(text)), version_(version)
{
    reindex();
}

void Document::reindex()
{
    model_.reset();
    checked_ = CheckedText(text_);
    const QStringView text(text_);
    if (!text.contains(QLatin1Char('\r'))) {
        lineStarts_ = checked_.lineStarts(); // line feeds alone: the checked text's lines
        return;
    }
    lineStarts_ = {0};
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == QLatin1Char('\r') && at + 1 < text.size() && text[at + 1] == QLatin1Char('\n'))
            ++at;
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            lineStarts_.append(at + 1);
    }
}

qint32 Document::lineLength(qint32 line) const
{
    if (line < 0 || line >= lineCount())
        return 0;
    if (line + 1 == lineCount())
        return qint32(text_.size() - lineStarts_[line]);
    qsizetype end = lineStarts_[line + 1] - 1; // the line end's last character
    if (text_[end] == QLatin1Char('\n') && end > lineStarts_[line] &&
        text_[end - 1] == QLatin1Char('\r'))
        --end;
    return qint32(end - lineStarts_[line]);
}

qsizetype Document::offsetOf(const Position &position) const
{
    if (position.line < 0)
        return -1;
    if (position.line >= lineCount())
        return text_.size(); // past the last line: the document's end
    return lineStarts_[position.line] + qMin(position.character, lineLength(position.line));
}

Position Document::positionOf(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, text_.size());
    const qint32 line = qint32(std::upper_bound(lineStarts_.cbegin(), lineStarts_.cend(), offset) -
                               lineStarts_.cbegin()) -
                        1;
    return Position{line, qint32(qMin<qsizetype>(offset - lineStarts_[line], lineLength(line)))};
}

bool Document::apply(const QJsonObject &change, QString &problem)
{
    const QJsonValue newText = change.value(QLatin1String("text"));
    if (!newText.isString()) {
        problem = QStringLiteral("a change without its text");
        return false;
    }
    if (!change.contains(QLatin1String("range"))) {
        text_ = newText.toString();
        reindex();
        return true;
    }
    const QJsonObject range = change.value(QLatin1String("range")).toObject();
    const Position start = positionFrom(range.value(QLatin1String("start")));
    const Position end = positionFrom(range.value(QLatin1String("end")));
    if (start.line < 0 || end.line < 0) {
        problem = QStringLiteral("a change whose range is not a pair of positions");
        return false;
    }
    if (end < start) {
        problem = QStringLiteral("a change whose range ends before it starts");
        return false;
    }
    // Clamped, as the protocol's clients do: past a line's end is its end,
    // past the last line the document's end.
    const qsizetype from = offsetOf(start);
    text_.replace(from, offsetOf(end) - from, newText.toString());
    reindex();
    return true;
}

Document::~Document() = default;

const DocumentModel &Document::model() const
{
    if (!model_)
        model_ = std::make_shared<const DocumentModel>(*this);
    return *model_;
}

} // namespace lsp
