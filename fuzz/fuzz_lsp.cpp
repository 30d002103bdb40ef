// Feeds arbitrary bytes to the language server as a client would send them.
//
// The first byte picks the size of the pieces the bytes arrive in (1 to 128),
// and when odd starts the session with initialize and the opening of a small
// program, so that requests about a document get far. The server must never
// crash or hang, everything it writes must be framed messages whose bodies
// are JSON-RPC 2.0 objects, and the bytes it holds back must stay within
// one header block and one message.

#include "jsonrpc/endpoint.h"
#include "jsonrpc/framing.h"
#include "lsp/server.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{

// Small limits, so that the fuzzer reaches the refusal of large messages.
constexpr qsizetype kMaxMessage = 4096;

const QByteArray kOpening =
    jsonrpc::frame(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})") +
    jsonrpc::frame(
        R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":)"
        R"({"uri":"file:///p","version":1,"text":"start INP\n\tOUPT\n\tSTA x\n\tBRA start\nx DAT 5\n"}}})");

// A message of ours after what the server wrote: it is read back as written
// only when the server wrote nothing in part.
const QByteArray kLast = R"({"jsonrpc":"2.0","method":"last"})";

void checkWritten(const QByteArray &written)
{
    jsonrpc::MessageReader reader;
    reader.append(written + jsonrpc::frame(kLast));
    QByteArray last;
    for (;;) {
        QByteArray body;
        QString problem;
        const auto result = reader.next(body, problem);
        if (result == jsonrpc::MessageReader::Result::Incomplete)
            break;
        if (result != jsonrpc::MessageReader::Result::Message)
            std::abort(); // the server framed a message badly
        const QJsonObject message = QJsonDocument::fromJson(body).object();
        if (message.value(QLatin1String("jsonrpc")).toString() != QLatin1String("2.0"))
            std::abort();
        last = body;
    }
    if (last != kLast)
        std::abort(); // a message written in part
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = qsizetype(data[0] % 128) + 1;
    QByteArray input = (data[0] & 1) ? kOpening : QByteArray();
    input.append(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    QByteArray written;
    lsp::LanguageServer *server = nullptr;
    jsonrpc::Endpoint endpoint([&](const QJsonObject &message) { server->handle(message); },
                               [&](const QByteArray &bytes) { written += bytes; }, kMaxMessage);
    lsp::LanguageServer languageServer([&](const QJsonObject &message) { endpoint.send(message); });
    server = &languageServer;
    for (qsizetype at = 0; at < input.size() && !languageServer.exitRequested(); at += piece)
        endpoint.receive(QByteArrayView(input).sliced(at, std::min(piece, input.size() - at)));
    checkWritten(written);
    return 0;
}
