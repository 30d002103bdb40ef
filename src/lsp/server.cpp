#include "lsp/server.h"

#include "lsp/completion.h"
#include "lsp/diagnosticadapter.h"
#include "lsp/formatting.h"
#include "lsp/hover.h"
#include "lsp/labels.h"
#include "lsp/quickfix.h"
#include "lsp/symbols.h"

#include <QJsonArray>

#include <utility>

namespace lsp
{

namespace
{

using jsonrpc::Failure;

QString text(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}

Failure invalidParams(const QString &why)
{
    return Failure{jsonrpc::InvalidParams, why};
}

} // namespace

LanguageServer::LanguageServer(Send send) : send_(std::move(send)) {}

const Document *LanguageServer::document(const QString &uri) const
{
    const auto found = documents_.constFind(uri);
    return found == documents_.cend() ? nullptr : &found.value();
}

void LanguageServer::handle(const QJsonObject &message)
{
    const QString method = text(message, "method");
    const QJsonObject params = message.value(QLatin1String("params")).toObject();
    if (jsonrpc::isNotification(message)) {
        notified(method, params);
        return;
    }
    if (!jsonrpc::isRequest(message)) {
        // A response to a request of ours (none are sent) is ignored; anything
        // else with an id is answered.
        if (message.contains(QLatin1String("id")) && !message.contains(QLatin1String("result")) &&
            !message.contains(QLatin1String("error")))
            send_(jsonrpc::errorResponse(
                message.value(QLatin1String("id")),
                {jsonrpc::InvalidRequest, QStringLiteral("a request needs a method and an id "
                                                         "that is a number or a string")}));
        return;
    }
    const QJsonValue id = message.value(QLatin1String("id"));
    Answer result;
    if (!initialized_ && method != QLatin1String("initialize")) {
        result = Failure{jsonrpc::ServerNotInitialized,
                         QStringLiteral("the server is not initialized: send initialize first")};
    } else if (shutdown_) {
        result = Failure{jsonrpc::InvalidRequest,
                         QStringLiteral("the server has shut down: only exit is left")};
    } else {
        result = answer(method, params);
    }
    if (const Failure *failure = std::get_if<Failure>(&result))
        send_(jsonrpc::errorResponse(id, *failure));
    else
        send_(jsonrpc::response(id, std::get<QJsonValue>(result)));
}

void LanguageServer::notified(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("exit")) {
        exitRequested_ = true;
        return;
    }
    // Before initialize, notifications are dropped, as the protocol asks.
    if (!initialized_ || shutdown_)
        return;
    const QJsonObject item = params.value(QLatin1String("textDocument")).toObject();
    const QString uri = text(item, "uri");
    if (method == QLatin1String("textDocument/didOpen")) {
        if (uri.isEmpty() || !item.value(QLatin1String("text")).isString())
            return;
        documents_.insert(
            uri, Document(text(item, "text"), item.value(QLatin1String("version")).toInt()));
        publish(uri);
    } else if (method == QLatin1String("textDocument/didChange")) {
        const auto found = documents_.find(uri);
        if (found == documents_.end())
            return;
        // Changes apply one after the other; one that fits nowhere stops the
        // rest, the diagnostics show the text as far as it got, and the client
        // hears that its text and the server's now differ.
        for (const QJsonValue change : params.value(QLatin1String("contentChanges")).toArray()) {
            QString problem;
            if (!found->apply(change.toObject(), problem)) {
                send_(jsonrpc::notification(
                    QStringLiteral("window/logMessage"),
                    QJsonObject{{QStringLiteral("type"), 1},
                                {QStringLiteral("message"),
                                 QStringLiteral("korvane-lsp: a change to %1 was not applied "
                                                "(%2); its diagnostics are out of date until "
                                                "it is opened again")
                                     .arg(uri, problem)}}));
                break;
            }
        }
        found->setVersion(item.value(QLatin1String("version")).toInt());
        publish(uri);
    } else if (method == QLatin1String("textDocument/didClose")) {
        if (documents_.remove(uri) > 0) {
            // A closed document keeps no diagnostics in the client.
            send_(
                jsonrpc::notification(QStringLiteral("textDocument/publishDiagnostics"),
                                      QJsonObject{{QStringLiteral("uri"), uri},
                                                  {QStringLiteral("diagnostics"), QJsonArray()}}));
        }
    }
    // Every other notification ($/cancelRequest, didSave, ...) needs nothing.
}

void LanguageServer::publish(const QString &uri)
{
    const Document &document = documents_[uri];
    QJsonArray diagnostics;
    for (const Finding &finding : findingsOf(document, uri))
        diagnostics.append(finding.diagnostic);
    send_(jsonrpc::notification(QStringLiteral("textDocument/publishDiagnostics"),
                                QJsonObject{{QStringLiteral("uri"), uri},
                                            {QStringLiteral("version"), document.version()},
                                            {QStringLiteral("diagnostics"), diagnostics}}));
}

Answer LanguageServer::answer(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("initialize"))
        return initialize();
    if (method == QLatin1String("shutdown")) {
        shutdown_ = true;
        return QJsonValue();
    }
    // The features, each a request about an open document; those that
    // take a position get it read and checked here.
    struct Route {
        Answer (*feature)(const DocumentRequest &);
        bool atPosition;
    };
    static const QHash<QString, Route> routes = {
        {QStringLiteral("textDocument/hover"), {&lsp::hover, true}},
        {QStringLiteral("textDocument/definition"), {&lsp::definition, true}},
        {QStringLiteral("textDocument/references"), {&lsp::references, true}},
        {QStringLiteral("textDocument/documentHighlight"), {&lsp::highlight, true}},
        {QStringLiteral("textDocument/prepareRename"), {&lsp::prepareRename, true}},
        {QStringLiteral("textDocument/rename"), {&lsp::rename, true}},
        {QStringLiteral("textDocument/codeAction"), {&lsp::codeActions, false}},
        {QStringLiteral("textDocument/completion"), {&lsp::completion, true}},
        {QStringLiteral("textDocument/documentSymbol"), {&lsp::documentSymbols, false}},
        {QStringLiteral("textDocument/semanticTokens/full"), {&lsp::semanticTokens, false}},
        {QStringLiteral("textDocument/formatting"), {&lsp::formatting, false}},
    };
    const auto route = routes.constFind(method);
    if (route == routes.cend())
        return Failure{jsonrpc::MethodNotFound, QStringLiteral("unknown method '%1'").arg(method)};

    const QString uri = text(params.value(QLatin1String("textDocument")).toObject(), "uri");
    const Document *document = this->document(uri);
    if (document == nullptr)
        return invalidParams(QStringLiteral("the document '%1' is not open").arg(uri));
    const Position at = positionFrom(params.value(QLatin1String("position")));
    if (route->atPosition && at.line < 0)
        return invalidParams(QStringLiteral("a request without a valid position"));
    return route->feature(DocumentRequest{uri, *document, params, at,
                                          [this](const QString &notice, const QJsonObject &said) {
                                              send_(jsonrpc::notification(notice, said));
                                          }});
}

Answer LanguageServer::initialize()
{
    if (initialized_)
        return Failure{jsonrpc::InvalidRequest, QStringLiteral("initialize was sent twice")};
    initialized_ = true;
    const QJsonObject capabilities{
        {QStringLiteral("positionEncoding"), QStringLiteral("utf-16")},
        {QStringLiteral("textDocumentSync"),
         QJsonObject{{QStringLiteral("openClose"), true}, {QStringLiteral("change"), 2}}},
        {QStringLiteral("hoverProvider"), true},
        {QStringLiteral("definitionProvider"), true},
        {QStringLiteral("referencesProvider"), true},
        {QStringLiteral("documentHighlightProvider"), true},
        {QStringLiteral("renameProvider"), QJsonObject{{QStringLiteral("prepareProvider"), true}}},
        {QStringLiteral("codeActionProvider"),
         QJsonObject{{QStringLiteral("codeActionKinds"), QJsonArray{QStringLiteral("quickfix")}}}},
        // A blank ends a word: the next one (a mnemonic after a label, a
        // label after a mnemonic) is offered before its first letter.
        {QStringLiteral("completionProvider"),
         QJsonObject{{QStringLiteral("triggerCharacters"),
                      QJsonArray{QStringLiteral(" "), QStringLiteral("\t")}}}},
        {QStringLiteral("documentSymbolProvider"), true},
        {QStringLiteral("semanticTokensProvider"),
         QJsonObject{{QStringLiteral("legend"), semanticTokensLegend()},
                     {QStringLiteral("full"), true}}},
        {QStringLiteral("documentFormattingProvider"), true},
    };
    return QJsonObject{{QStringLiteral("capabilities"), capabilities},
                       {QStringLiteral("serverInfo"),
                        QJsonObject{{QStringLiteral("name"), QStringLiteral("korvane-lsp")},
                                    {QStringLiteral("version"), QStringLiteral(KORVANE_VERSION)}}}};
}

} // namespace lsp
