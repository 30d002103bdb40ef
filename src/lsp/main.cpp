// korvane-lsp: the language server of Korvane's assembly language, over
// standard input and output (LSP 3.17, JSON-RPC with Content-Length framing).

#include "jsonrpc/endpoint.h"
#include "jsonrpc/stdio.h"
#include "lsp/server.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        // Clients start servers with options of their own, such as --stdio;
        // standard input and output are the only channel, so they change nothing.
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("Usage: korvane-lsp [--stdio]\n"
                       "The language server of Korvane's assembly language: an editor starts it\n"
                       "and speaks the Language Server Protocol over standard input and output.\n",
                       stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("korvane-lsp " KORVANE_VERSION "\n", stdout);
            return 0;
        }
    }
    QCoreApplication::setApplicationName(QStringLiteral("korvane-lsp"));

    bool clientGone = false;
    lsp::LanguageServer *server = nullptr;
    jsonrpc::Endpoint endpoint([&](const QJsonObject &message) { server->handle(message); },
                               [&](const QByteArray &bytes) {
                                   if (!clientGone && !jsonrpc::writeToStandardOutput(bytes))
                                       clientGone = true;
                               });
    lsp::LanguageServer languageServer([&](const QJsonObject &message) { endpoint.send(message); });
    server = &languageServer;
    const bool exited = jsonrpc::serveStandardInput(
        endpoint, [&] { return languageServer.exitRequested() || clientGone; });
    // A client that went away without exit ends the server too, as a failure.
    return exited && languageServer.exitRequested() ? languageServer.exitCode() : 1;
}
