#include "lsp/hover.h"

#include "lsp/labelindex.h"
#include "machine/instructionset.h"
#include "program/program.h"

namespace lsp
{

namespace
{

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
    return program::addressText(cell);
}

} // namespace

Answer hover(const DocumentRequest &request)
{
    const LabelIndex index(request.document);
    const IndexedWord *word = index.wordAt(request.at);
    if (word == nullptr)
        return QJsonValue();
    QString shown;
    switch (word->kind) {
    case IndexedWord::Mnemonic: {
        const machine::Instruction *row = instructionNamed(word->key);
        shown = QStringLiteral("%1: %2").arg(QString(row->mnemonic), QString(row->meaning));
        program::Program program;
        program.text = request.document.checked().text();
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
                       {QStringLiteral("range"), placeRange(word->place)}};
}

} // namespace lsp
