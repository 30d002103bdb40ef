#include "lsp/symbols.h"

#include "lsp/documentmodel.h"
#include "machine/instructionset.h"
#include "program/program.h"

#include <QJsonArray>

namespace lsp
{

namespace
{

// The protocol's SymbolKind values used here.
constexpr int kFunctionSymbol = 12;
constexpr int kVariableSymbol = 13;

// Token types and modifiers: indexes into the legend below.
enum TokenType { Keyword, Function, Variable, Number };
constexpr int kDeclaration = 1; // bit of the declaration modifier

bool definesData(const QList<IndexedWord> &words, qsizetype definition)
{
    // The mnemonic follows its label in the line the assembler reads, which
    // spans editor lines where a carriage return alone ends one.
    const qsizetype next = definition + 1;
    return next < words.size() && words[next].cell == words[definition].cell &&
           words[next].kind == IndexedWord::Mnemonic &&
           words[next].instruction->opcode == machine::Data;
}

bool isNumber(const QString &word)
{
    bool ok = false;
    word.toLongLong(&ok, 10);
    return ok;
}

} // namespace

QJsonObject semanticTokensLegend()
{
    return QJsonObject{
        {QStringLiteral("tokenTypes"),
         QJsonArray{QStringLiteral("keyword"), QStringLiteral("function"),
                    QStringLiteral("variable"), QStringLiteral("number")}},
        {QStringLiteral("tokenModifiers"), QJsonArray{QStringLiteral("declaration")}},
    };
}

Answer documentSymbols(const DocumentRequest &request)
{
    const LabelIndex &index = request.document.model().index;
    const QList<IndexedWord> &words = index.words();
    QJsonArray symbols;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const IndexedWord &word = words[i];
        if (word.kind != IndexedWord::LabelDefinition)
            continue;
        const bool isData = definesData(words, i);
        const qint32 lineLength = request.document.lineLength(word.place.line);
        symbols.append(QJsonObject{
            {QStringLiteral("name"), word.written},
            {QStringLiteral("detail"),
             QStringLiteral("%1 label, cell %2")
                 .arg(isData ? QStringLiteral("data") : QStringLiteral("code"),
                      program::addressText(word.cell))},
            {QStringLiteral("kind"), isData ? kVariableSymbol : kFunctionSymbol},
            {QStringLiteral("range"),
             rangeJson({word.place.line, 0}, {word.place.line, lineLength})},
            {QStringLiteral("selectionRange"), placeRange(word.place)},
        });
    }
    return symbols;
}

Answer semanticTokens(const DocumentRequest &request)
{
    const LabelIndex &index = request.document.model().index;
    const QList<IndexedWord> &words = index.words();
    QJsonArray data;
    Place previous;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const IndexedWord &word = words[i];
        int type = Keyword;
        int modifiers = 0;
        switch (word.kind) {
        case IndexedWord::Mnemonic:
            type = Keyword;
            break;
        case IndexedWord::LabelDefinition:
            type = definesData(words, i) ? Variable : Function;
            modifiers = kDeclaration;
            break;
        case IndexedWord::LabelUse: {
            const LabelDefinition *defined = index.definition(word.key);
            if (defined != nullptr)
                type = defined->isData ? Variable : Function;
            else if (isNumber(word.written))
                type = Number; // the value of a DAT without a label
            else
                continue; // names nothing: its diagnostic marks it
            break;
        }
        case IndexedWord::DataValue:
            type = Number;
            break;
        }
        // Each token is placed relative to the one before it.
        const qint32 deltaLine = word.place.line - previous.line;
        const qint32 deltaStart =
            deltaLine == 0 ? word.place.start - previous.start : word.place.start;
        for (const int value :
             {deltaLine, deltaStart, word.place.end - word.place.start, type, modifiers})
            data.append(value);
        previous = word.place;
    }
    return QJsonObject{{QStringLiteral("data"), data}};
}

} // namespace lsp
