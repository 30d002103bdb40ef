#pragma once

// One side of a JSON-RPC connection over a byte stream: bytes in, whole
// messages handed on; messages out, framed bytes written. What cannot be read
// as a message is answered here, so that the handler sees only JSON objects.

#include "jsonrpc/framing.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>

#include <functional>

namespace jsonrpc
{

class Endpoint
{
public:
    using Handler = std::function<void(const QJsonObject &message)>;
    using Writer = std::function<void(const QByteArray &bytes)>;

    Endpoint(Handler handler, Writer writer, qsizetype maxMessage = MessageReader::kDefaultMaxBody);

    // Reads every complete message in the bytes received so far: each JSON
    // object goes to the handler; malformed headers, oversized messages,
    // text that is not JSON and JSON that is not an object are answered with
    // an error response whose id is null. A broken stream closes the
    // endpoint: nothing more is read.
    void receive(QByteArrayView bytes);
    void send(const QJsonObject &message);

    // Why the stream broke and the endpoint closed; empty while it is open.
    const QString &closedBecause() const { return closedBecause_; }

private:
    Handler handler_;
    Writer writer_;
    MessageReader reader_;
    QString closedBecause_;
};

} // namespace jsonrpc
