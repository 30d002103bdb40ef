#pragma once

// JSON-RPC 2.0 messages: requests, notifications and the responses to them.

#include <QByteArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace jsonrpc
{

// The error codes of JSON-RPC and the two the Language Server Protocol adds.
enum ErrorCode : int {
    ParseError = -32700,
    InvalidRequest = -32600,
    MethodNotFound = -32601,
    InvalidParams = -32602,
    InternalError = -32603,
    ServerNotInitialized = -32002,
    RequestFailed = -32803,
};

// Why a request failed, for an error response.
struct Failure {
    int code = InternalError;
    QString message;
};

QJsonObject response(const QJsonValue &id, const QJsonValue &result);
QJsonObject errorResponse(const QJsonValue &id, const Failure &failure);
QJsonObject notification(const QString &method, const QJsonValue &params);

// A request carries an id and a method, a notification only a method; a
// message with an id and no method is a response to a request of ours.
bool isRequest(const QJsonObject &message);
bool isNotification(const QJsonObject &message);

// The JSON object a message body holds; none when it holds anything else,
// with `error` set when it is not JSON at all.
std::optional<QJsonObject> objectOf(const QByteArray &body, QJsonParseError &error);

} // namespace jsonrpc
