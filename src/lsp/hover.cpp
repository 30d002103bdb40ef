#include "lsp/hover.h"

#include "lsp/documentmodel.h"
#include "machine/instructionset.h"
#include "program/program.h"

namespace lsp
{

Answer hover(const DocumentRequest &request)
{
    const DocumentModel &model = request.document.model();
    const LabelIndex &index = model.index;
    const IndexedWord *word = index.wordAt(request.at);
    if (word == nullptr)
        return QJsonValue();
    QString shown;
    switch (word->kind) {
    case IndexedWord::Mnemonic: {
        const machine::Instruction *row = word->instruction;
        shown = QStringLiteral("%1: %2").arg(QString(row->mnemonic), QString(row->meaning));
        if (model.assembled && word->cell < model.program.image.size())
            shown += QStringLiteral("\n\nThis line assembles to %1 (cell %2).")
                         .arg(model.program.image[word->cell], program::addressText(word->cell));
        break;
    }
    case IndexedWord::LabelDefinition:
    case IndexedWord::LabelUse: {
        const LabelDefinition *defined = index.definition(word->key);
        if (defined == nullptr) {
            shown = QStringLiteral("'%1' is not defined").arg(word->written);
        } else if (defined->isData) {
            shown = QStringLiteral("'%1': data label, cell %2, holding %3")
                        .arg(word->written, program::addressText(defined->cell))
                        .arg(defined->value);
        } else {
            shown = QStringLiteral("'%1': code label, cell %2")
                        .arg(word->written, program::addressText(defined->cell));
        }
        break;
    }
    case IndexedWord::DataValue:
        shown = QStringLiteral("cell %1 will hold %2")
                    .arg(program::addressText(word->cell))
                    .arg(dataValueOf(word->written));
        break;
    }
    return QJsonObject{{QStringLiteral("contents"),
                        QJsonObject{{QStringLiteral("kind"), QStringLiteral("plaintext")},
                                    {QStringLiteral("value"), shown}}},
                       {QStringLiteral("range"), placeRange(word->place)}};
}

} // namespace lsp
