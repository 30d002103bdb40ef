#include "lsp/labelindex.h"

#include "diagnostics/mnemonic.h"
#include "diagnostics/sourcetext.h"

namespace lsp
{

QJsonObject placeRange(const Place &place)
{
    return rangeJson({place.line, place.start}, {place.line, place.end});
}

qint32 dataValueOf(const QString &written)
{
    return written.toInt(nullptr, 10);
}

LabelIndex::LabelIndex(const std::shared_ptr<const diagnostics::SourceText> &text,
                       const Document &document)
{
    using diagnostics::Role;
    const QList<diagnostics::SourceLine> &lines = text->lines();
    for (qint32 cell = 0; cell < lines.size(); ++cell) {
        const diagnostics::SourceLine &line = lines[cell];
        qsizetype label = -1; // the entry of the label the line defines
        for (const diagnostics::Word &word : line.words) {
            IndexedWord indexed;
            switch (word.role) {
            case Role::Label:
                indexed.kind = IndexedWord::LabelDefinition;
                label = words_.size();
                break;
            case Role::Operand:
                indexed.kind = IndexedWord::LabelUse;
                break;
            case Role::Value:
                indexed.kind = IndexedWord::DataValue;
                break;
            case Role::Mnemonic:
            case Role::Other:
                // A line the assembler refuses: its mnemonics still get their hover.
                if (word.mnemonic() == nullptr)
                    continue;
                indexed.kind = IndexedWord::Mnemonic;
                indexed.instruction = word.mnemonic();
                break;
            }
            // A word holds no line end, so it stays on one line of the document.
            const Position start = document.positionOf(
                document.checked().documentOffset(word.written().data() - text->text().data()));
            indexed.place =
                Place{start.line, start.character, start.character + qint32(word.written().size())};
            indexed.written = word.written().toString();
            indexed.key = QString(word.key().constData(), word.key().size()); // its own copy
            indexed.cell = cell;
            words_.append(indexed);
        }
        // The first definition is the one the assembler uses.
        if (label >= 0 && text->labelLine(line.words[0].key()) == cell) {
            const bool isData = diagnostics::isData(text->mnemonicOf(cell)->mnemonic());
            const diagnostics::Word *value = text->operandOf(cell);
            const qint32 held =
                isData && value != nullptr ? dataValueOf(value->written().toString()) : 0;
            definitions_.insert(words_[label].key,
                                LabelDefinition{cell, isData, held, words_[label].place});
        }
    }
}

const IndexedWord *LabelIndex::wordAt(const Position &position) const
{
    for (const IndexedWord &word : words_) {
        if (word.place.line == position.line && word.place.start <= position.character &&
            position.character <= word.place.end)
            return &word;
    }
    return nullptr;
}

QList<Place> LabelIndex::occurrences(const QString &key, bool withDefinitions) const
{
    QList<Place> places;
    for (const IndexedWord &word : words_) {
        if (word.key != key)
            continue;
        if (word.kind == IndexedWord::LabelUse ||
            (withDefinitions && word.kind == IndexedWord::LabelDefinition))
            places.append(word.place);
    }
    return places;
}

const LabelDefinition *LabelIndex::definition(const QString &key) const
{
    const auto found = definitions_.constFind(key);
    return found == definitions_.cend() ? nullptr : &found.value();
}

QString LabelIndex::writtenLabel(const QString &key) const
{
    for (const IndexedWord &word : words_) {
        if (word.key == key &&
            (word.kind == IndexedWord::LabelDefinition || word.kind == IndexedWord::LabelUse))
            return word.written;
    }
    return QString();
}

} // namespace lsp
