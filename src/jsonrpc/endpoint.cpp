#include "jsonrpc/endpoint.h"

#include "jsonrpc/message.h"

#include <QJsonDocument>

#include <utility>

namespace jsonrpc
{

Endpoint::Endpoint(Handler handler, Writer writer, qsizetype maxMessage)
    : handler_(std::move(handler)), writer_(std::move(writer)), reader_(maxMessage)
{
}

void Endpoint::receive(QByteArrayView bytes)
{
    reader_.append(bytes);
    while (closedBecause_.isEmpty()) {
        QByteArray body;
        QString problem;
        switch (reader_.next(body, problem)) {
        case MessageReader::Result::Incomplete:
            return;
        case MessageReader::Result::BadHeader:
            send(errorResponse(QJsonValue(), {ParseError, problem}));
            continue;
        case MessageReader::Result::TooLarge:
            send(errorResponse(QJsonValue(), {InvalidRequest, problem}));
            continue;
        case MessageReader::Result::Broken:
            closedBecause_ = problem;
            return;
        case MessageReader::Result::Message:
            break;
        }
        QJsonParseError error;
        const std::optional<QJsonObject> message = objectOf(body, error);
        if (error.error != QJsonParseError::NoError) {
            send(errorResponse(QJsonValue(),
                               {ParseError, QStringLiteral("the message is not JSON: %1 at byte %2")
                                                .arg(error.errorString())
                                                .arg(error.offset)}));
        } else if (!message) {
            // Batches are JSON-RPC's, not the Language Server Protocol's.
            send(errorResponse(QJsonValue(), {InvalidRequest,
                                              QStringLiteral("the message is not a JSON object")}));
        } else {
            handler_(*message);
        }
    }
}

void Endpoint::send(const QJsonObject &message)
{
    writer_(frame(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

} // namespace jsonrpc
