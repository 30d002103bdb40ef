#include "jsonrpc/message.h"

#include <QJsonDocument>

namespace jsonrpc
{

namespace
{

QJsonObject base()
{
    return QJsonObject{{QStringLiteral("jsonrpc"), QStringLiteral("2.0")}};
}

} // namespace

QJsonObject response(const QJsonValue &id, const QJsonValue &result)
{
    QJsonObject message = base();
    message.insert(QStringLiteral("id"), id);
    // A result of null is still a result: the member must be there.
    message.insert(QStringLiteral("result"), result.isUndefined() ? QJsonValue() : result);
    return message;
}

QJsonObject errorResponse(const QJsonValue &id, const Failure &failure)
{
    QJsonObject message = base();
    message.insert(QStringLiteral("id"), id.isUndefined() ? QJsonValue() : id);
    message.insert(QStringLiteral("error"),
                   QJsonObject{{QStringLiteral("code"), failure.code},
                               {QStringLiteral("message"), failure.message}});
    return message;
}

QJsonObject notification(const QString &method, const QJsonValue &params)
{
    QJsonObject message = base();
    message.insert(QStringLiteral("method"), method);
    message.insert(QStringLiteral("params"), params);
    return message;
}

bool isRequest(const QJsonObject &message)
{
    const QJsonValue id = message.value(QLatin1String("id"));
    return message.value(QLatin1String("method")).isString() && (id.isString() || id.isDouble());
}

bool isNotification(const QJsonObject &message)
{
    return message.value(QLatin1String("method")).isString() &&
           !message.contains(QLatin1String("id"));
}

std::optional<QJsonObject> objectOf(const QByteArray &body, QJsonParseError &error)
{
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace jsonrpc
