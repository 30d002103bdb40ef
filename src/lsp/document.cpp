#include "lsp/document.h"

#include "lsp/documentmodel.h"

#include <QJsonValue>

namespace lsp
{

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

qsizetype Document::offsetOf(const Position &position) const
{
    if (position.line < 0)
        return -1;
    qsizetype start = 0;
    for (qint32 line = 0; line < position.line; ++line) {
        const qsizetype feed = text_.indexOf(QLatin1Char('\n'), start);
        if (feed < 0)
            return text_.size(); // past the last line: the document's end
        start = feed + 1;
    }
    qsizetype end = text_.indexOf(QLatin1Char('\n'), start);
    if (end < 0)
        end = text_.size();
    return std::min(start + position.character, end);
}

Position Document::positionOf(qsizetype offset) const
{
    offset = std::clamp<qsizetype>(offset, 0, text_.size());
    Position position;
    qsizetype start = 0;
    for (;;) {
        const qsizetype feed = text_.indexOf(QLatin1Char('\n'), start);
        if (feed < 0 || feed >= offset)
            break;
        ++position.line;
        start = feed + 1;
    }
    position.character = qint32(offset - start);
    return position;
}

qint32 Document::lineCount() const
{
    return qint32(text_.count(QLatin1Char('\n'))) + 1;
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
        model_.reset();
        return true;
    }
    const QJsonObject range = change.value(QLatin1String("range")).toObject();
    const qsizetype start = offsetOf(positionFrom(range.value(QLatin1String("start"))));
    const qsizetype end = offsetOf(positionFrom(range.value(QLatin1String("end"))));
    if (start < 0 || end < start) {
        problem = QStringLiteral("a change whose range is not in the document");
        return false;
    }
    text_.replace(start, end - start, newText.toString());
    model_.reset();
    return true;
}

Document::~Document() = default;

const DocumentModel &Document::model() const
{
    if (!model_)
        model_ = std::make_shared<const DocumentModel>(text_);
    return *model_;
}

} // namespace lsp
