#include "lsp/server.h"

#include "lsp/diagnosticadapter.h"
#include "lsp/labelindex.h"
#include "machine/instructionset.h"
#include "program/program.h"

#include <QJsonArray>
#include <QRegularExpression>

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

QJsonObject rangeOf(const Place &place)
{
    return rangeJson({place.line, place.start}, {place.line, place.end});
}

QJsonObject locationOf(const QString &uri, const Place &place)
{
    return QJsonObject{{QStringLiteral("uri"), uri}, {QStringLiteral("range"), rangeOf(place)}};
}

const machine::Instruction *instructionNamed(const QString &key)
{
    for (const machine::Instruction &row : machine::kInstructionSet) {
        if (key == row.mnemonic)
            return &row;
    }
    return nullptr;
}

QString cellText(qint32 cell)
{
    return korvane::addressText(cell);
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
        // Changes apply one after the other; one that fits nowhere stops the rest,
        // and the diagnostics show the text as far as it got.
        for (const QJsonValue change : params.value(QLatin1String("contentChanges")).toArray()) {
            QString problem;
            if (!found->apply(change.toObject(), problem))
                break;
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

LanguageServer::Answer LanguageServer::answer(const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("initialize"))
        return initialize();
    if (method == QLatin1String("shutdown")) {
        shutdown_ = true;
        return QJsonValue();
    }
    static const QStringList onDocuments = {QStringLiteral("textDocument/hover"),
                                            QStringLiteral("textDocument/definition"),
                                            QStringLiteral("textDocument/references"),
                                            QStringLiteral("textDocument/documentHighlight"),
                                            QStringLiteral("textDocument/prepareRename"),
                                            QStringLiteral("textDocument/rename"),
                                            QStringLiteral("textDocument/codeAction")};
    if (!onDocuments.contains(method))
        return Failure{jsonrpc::MethodNotFound, QStringLiteral("unknown method '%1'").arg(method)};

    const QString uri = text(params.value(QLatin1String("textDocument")).toObject(), "uri");
    const Document *document = this->document(uri);
    if (document == nullptr)
        return invalidParams(QStringLiteral("the document '%1' is not open").arg(uri));
    if (method == QLatin1String("textDocument/codeAction"))
        return codeActions(uri, *document, params);
    const Position at = positionFrom(params.value(QLatin1String("position")));
    if (at.line < 0)
        return invalidParams(QStringLiteral("a request without a valid position"));
    if (method == QLatin1String("textDocument/hover"))
        return hover(uri, *document, at);
    if (method == QLatin1String("textDocument/definition"))
        return definition(uri, *document, at);
    if (method == QLatin1String("textDocument/references"))
        return references(uri, *document, at,
                          params.value(QLatin1String("context"))
                              .toObject()
                              .value(QLatin1String("includeDeclaration"))
                              .toBool(true));
    if (method == QLatin1String("textDocument/documentHighlight"))
        return highlight(*document, at);
    if (method == QLatin1String("textDocument/prepareRename"))
        return prepareRename(*document, at);
    return rename(uri, *document, at, text(params, "newName"));
}

LanguageServer::Answer LanguageServer::initialize()
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
    };
    return QJsonObject{{QStringLiteral("capabilities"), capabilities},
                       {QStringLiteral("serverInfo"),
                        QJsonObject{{QStringLiteral("name"), QStringLiteral("korvane-lsp")},
                                    {QStringLiteral("version"), QStringLiteral(KORVANE_VERSION)}}}};
}

LanguageServer::Answer LanguageServer::hover(const QString &, const Document &document,
                                             const Position &at)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = index.wordAt(at);
    if (word == nullptr)
        return QJsonValue();
    QString shown;
    switch (word->kind) {
    case IndexedWord::Mnemonic: {
        const machine::Instruction *row = instructionNamed(word->key);
        shown = QStringLiteral("%1: %2").arg(QString(row->mnemonic), QString(row->meaning));
        korvane::Program program;
        program.text = document.text();
        QString error;
        if (program.assemble(error) && word->cell < program.image.size())
            shown += QStringLiteral("\n\nThis line assembles to %1 (cell %2).")
                         .arg(program.image[word->cell], cellText(word->cell));
        break;
    }
    case IndexedWord::LabelDefinition:
    case IndexedWord::LabelUse: {
        const LabelDefinition *defined = index.definition(word->key);
        if (defined == nullptr) {
            shown = QStringLiteral("'%1' is not defined").arg(word->written);
        } else if (defined->isData) {
            shown = QStringLiteral("'%1': data label, cell %2, holding %3")
                        .arg(word->written, cellText(defined->cell))
                        .arg(defined->value);
        } else {
            shown = QStringLiteral("'%1': code label, cell %2")
                        .arg(word->written, cellText(defined->cell));
        }
        break;
    }
    case IndexedWord::DataValue:
        shown = QStringLiteral("cell %1 will hold %2")
                    .arg(cellText(word->cell))
                    .arg(dataValueOf(word->written));
        break;
    }
    return QJsonObject{{QStringLiteral("contents"),
                        QJsonObject{{QStringLiteral("kind"), QStringLiteral("plaintext")},
                                    {QStringLiteral("value"), shown}}},
                       {QStringLiteral("range"), rangeOf(word->place)}};
}

namespace
{

// The label under the cursor, or null for a word that is none.
const IndexedWord *labelAt(const LabelIndex &index, const Position &at)
{
    const IndexedWord *word = index.wordAt(at);
    if (word == nullptr ||
        (word->kind != IndexedWord::LabelDefinition && word->kind != IndexedWord::LabelUse))
        return nullptr;
    return word;
}

} // namespace

LanguageServer::Answer LanguageServer::definition(const QString &uri, const Document &document,
                                                  const Position &at)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = labelAt(index, at);
    const LabelDefinition *defined = word ? index.definition(word->key) : nullptr;
    if (defined == nullptr)
        return QJsonValue();
    return locationOf(uri, defined->place);
}

LanguageServer::Answer LanguageServer::references(const QString &uri, const Document &document,
                                                  const Position &at, bool withDeclaration)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = labelAt(index, at);
    if (word == nullptr)
        return QJsonValue();
    QJsonArray found;
    for (const Place &place : index.occurrences(word->key, withDeclaration))
        found.append(locationOf(uri, place));
    return found;
}

LanguageServer::Answer LanguageServer::highlight(const Document &document, const Position &at)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = labelAt(index, at);
    if (word == nullptr)
        return QJsonValue();
    // DocumentHighlightKind: 2 read, 3 write (where the label is defined).
    QJsonArray found;
    for (const IndexedWord &other : index.words()) {
        if (other.key != word->key || other.kind == IndexedWord::Mnemonic ||
            other.kind == IndexedWord::DataValue)
            continue;
        found.append(QJsonObject{
            {QStringLiteral("range"), rangeOf(other.place)},
            {QStringLiteral("kind"), other.kind == IndexedWord::LabelDefinition ? 3 : 2}});
    }
    return found;
}

LanguageServer::Answer LanguageServer::prepareRename(const Document &document, const Position &at)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = labelAt(index, at);
    if (word == nullptr)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("range"), rangeOf(word->place)},
                       {QStringLiteral("placeholder"), word->written}};
}

LanguageServer::Answer LanguageServer::rename(const QString &uri, const Document &document,
                                              const Position &at, const QString &newName)
{
    const LabelIndex index(document.text());
    const IndexedWord *word = labelAt(index, at);
    if (word == nullptr)
        return Failure{jsonrpc::RequestFailed, QStringLiteral("there is no label here to rename")};
    // A letter first, then letters, digits and underscores: a name every
    // reader takes for a label, never for a number.
    static const QRegularExpression labelName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!labelName.match(newName).hasMatch())
        return Failure{jsonrpc::RequestFailed,
                       QStringLiteral("'%1' is not a valid label: use a letter or '_' first, "
                                      "then letters, digits and '_'")
                           .arg(newName)};
    const QString key = newName.toUpper();
    if (isMnemonicWord(key))
        return Failure{
            jsonrpc::RequestFailed,
            QStringLiteral("'%1' is a mnemonic, and mnemonics cannot name labels").arg(newName)};
    if (key != word->key && index.isUsedAsLabel(key))
        return Failure{
            jsonrpc::RequestFailed,
            QStringLiteral("'%1' is already used as a label in this program").arg(newName)};
    QJsonArray edits;
    for (const Place &place : index.occurrences(word->key))
        edits.append(QJsonObject{{QStringLiteral("range"), rangeOf(place)},
                                 {QStringLiteral("newText"), newName}});
    return QJsonObject{{QStringLiteral("changes"), QJsonObject{{uri, edits}}}};
}

LanguageServer::Answer LanguageServer::codeActions(const QString &uri, const Document &document,
                                                   const QJsonObject &params)
{
    const QJsonObject range = params.value(QLatin1String("range")).toObject();
    const QJsonArray only =
        params.value(QLatin1String("context")).toObject().value(QLatin1String("only")).toArray();
    QJsonArray actions;
    if (!only.isEmpty() && !only.contains(QStringLiteral("quickfix")))
        return actions;
    for (const Finding &finding : findingsOf(document, uri)) {
        if (!rangesMeet(finding.diagnostic.value(QLatin1String("range")).toObject(), range))
            continue;
        for (const QJsonObject &action : finding.actions)
            actions.append(action);
    }
    return actions;
}

} // namespace lsp
