#include "lsp/labels.h"

#include "diagnostics/labelname.h"
#include "diagnostics/mnemonic.h"
#include "lsp/documentmodel.h"

#include <QJsonArray>

namespace lsp
{

namespace
{

using jsonrpc::Failure;

// The label under the request's cursor, or null for a word that is none.
const IndexedWord *labelAt(const DocumentRequest &request)
{
    const IndexedWord *word = request.document.model().index.wordAt(request.at);
    if (word == nullptr ||
        (word->kind != IndexedWord::LabelDefinition && word->kind != IndexedWord::LabelUse))
        return nullptr;
    return word;
}

} // namespace

Answer definition(const DocumentRequest &request)
{
    const LabelIndex &index = request.document.model().index;
    const IndexedWord *word = labelAt(request);
    const LabelDefinition *defined = word ? index.definition(word->key) : nullptr;
    if (defined == nullptr)
        return QJsonValue();
    return locationJson(request.uri, placeRange(defined->place));
}

Answer references(const DocumentRequest &request)
{
    const LabelIndex &index = request.document.model().index;
    const IndexedWord *word = labelAt(request);
    if (word == nullptr)
        return QJsonValue();
    const bool withDeclaration = request.params.value(QLatin1String("context"))
                                     .toObject()
                                     .value(QLatin1String("includeDeclaration"))
                                     .toBool(true);
    QJsonArray found;
    for (const Place &place : index.occurrences(word->key, withDeclaration))
        found.append(locationJson(request.uri, placeRange(place)));
    return found;
}

Answer highlight(const DocumentRequest &request)
{
    const LabelIndex &index = request.document.model().index;
    const IndexedWord *word = labelAt(request);
    if (word == nullptr)
        return QJsonValue();
    // DocumentHighlightKind: 2 read, 3 write (where the label is defined).
    QJsonArray found;
    for (const IndexedWord &other : index.words()) {
        if (other.key != word->key || other.kind == IndexedWord::Mnemonic ||
            other.kind == IndexedWord::DataValue)
            continue;
        found.append(QJsonObject{
            {QStringLiteral("range"), placeRange(other.place)},
            {QStringLiteral("kind"), other.kind == IndexedWord::LabelDefinition ? 3 : 2}});
    }
    return found;
}

Answer prepareRename(const DocumentRequest &request)
{
    const IndexedWord *word = labelAt(request);
    if (word == nullptr)
        return QJsonValue();
    return QJsonObject{{QStringLiteral("range"), placeRange(word->place)},
                       {QStringLiteral("placeholder"), word->written}};
}

Answer rename(const DocumentRequest &request)
{
    const QString newName = request.params.value(QLatin1String("newName")).toString();
    const LabelIndex &index = request.document.model().index;
    const IndexedWord *word = labelAt(request);
    if (word == nullptr)
        return Failure{jsonrpc::RequestFailed, QStringLiteral("there is no label here to rename")};
    if (!diagnostics::isLabelName(newName))
        return Failure{jsonrpc::RequestFailed,
                       QStringLiteral("'%1' is not a valid label: use a letter or '_' first, "
                                      "then letters, digits and '_'")
                           .arg(newName)};
    // The assembler compares names upper-cased, so that is how they are checked.
    const QString key = newName.toUpper();
    if (diagnostics::rowOf(key) != nullptr)
        return Failure{
            jsonrpc::RequestFailed,
            QStringLiteral("'%1' is a mnemonic, and mnemonics cannot name labels").arg(newName)};
    if (key != word->key && !index.writtenLabel(key).isEmpty()) {
        QString why =
            QStringLiteral("'%1' is already used as a label in this program").arg(newName);
        // Written otherwise, the name is the same one only in capitals: say so.
        const QString other = index.writtenLabel(key);
        if (other.compare(newName, Qt::CaseInsensitive) != 0)
            why += QStringLiteral(": labels are compared in capitals, and '%1' is %2 too")
                       .arg(other, key);
        return Failure{jsonrpc::RequestFailed, why};
    }
    QJsonArray edits;
    for (const Place &place : index.occurrences(word->key))
        edits.append(QJsonObject{{QStringLiteral("range"), placeRange(place)},
                                 {QStringLiteral("newText"), newName}});
    return QJsonObject{{QStringLiteral("changes"), QJsonObject{{request.uri, edits}}}};
}

} // namespace lsp
