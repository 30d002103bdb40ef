#pragma once

// The language server: the protocol's life cycle, the open documents, and
// the answers to each request. Messages come in whole (see jsonrpc::Endpoint)
// and go out through `send`; nothing here reads or writes a stream.

#include "lsp/document.h"
#include "lsp/request.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

#include <functional>

namespace lsp
{

class LanguageServer
{
public:
    using Send = std::function<void(const QJsonObject &message)>;

    explicit LanguageServer(Send send);

    void handle(const QJsonObject &message);

    // After the exit notification: the server stops, with 0 when shutdown
    // came first and 1 otherwise, as the protocol asks.
    bool exitRequested() const { return exitRequested_; }
    int exitCode() const { return shutdown_ ? 0 : 1; }

    // The text of an open document, for tests.
    const Document *document(const QString &uri) const;

private:
    Answer answer(const QString &method, const QJsonObject &params);
    void notified(const QString &method, const QJsonObject &params);
    void publish(const QString &uri);
    Answer initialize();

    Send send_;
    QHash<QString, Document> documents_;
    bool initialized_ = false;
    bool shutdown_ = false;
    bool exitRequested_ = false;
};

} // namespace lsp
