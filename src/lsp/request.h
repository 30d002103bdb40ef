#pragma once

// A request about an open document, as every feature of the server gets it,
// and its answer: a result, or the error response's code and message. A
// feature is a function from the one to the other; the server routes each
// method to its feature (server.cpp).

#include "jsonrpc/message.h"
#include "lsp/document.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <variant>

namespace lsp
{

using Answer = std::variant<QJsonValue, jsonrpc::Failure>;

struct DocumentRequest {
    QString uri;
    const Document &document;
    QJsonObject params;
    Position at; // the request's position, for features that take one
    // Sends a notification to the client, for a feature that has more to say
    // than its answer (why a formatting has no edits).
    std::function<void(const QString &method, const QJsonObject &params)> notify = {};
};

} // namespace lsp
