#include "lsp/labelindex.h"

#include "assembler/sourcetext.h"
#include "machine/instructionset.h"

namespace lsp
{

QJsonObject placeRange(const Place &place)
{
    return rangeJson({place.line, place.start}, {place.line, place.end});
}

QJsonObject placeLocation(const QString &uri, const Place &place)
{
    return QJsonObject{{QStringLiteral("uri"), uri}, {QStringLiteral("range"), placeRange(place)}};
}

bool isMnemonicWord(const QString &word)
{
    for (const machine::Instruction &row : machine::kInstructionSet) {
        if (word.compare(row.mnemonic, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

qint32 dataValueOf(const QString &written)
{
    return written.toInt(nullptr, 10);
}

LabelIndex::LabelIndex(const Document &document)
{
    const QString &text = document.checked().text();
    const QString data = QString(machine::instruction(machine::Data).mnemonic);
    qint32 cell = 0;
    for (const diagnostics::SourceLine &line : diagnostics::storedLines(text)) {
        const auto add = [&](const diagnostics::Word &word, IndexedWord::Kind kind) {
            IndexedWord indexed;
            indexed.kind = kind;
            // A word holds no line end, so it stays on one line of the document.
            const Position start = document.positionOf(
                document.checked().documentOffset(word.written.data() - text.data()));
            indexed.place =
                Place{start.line, start.character, start.character + qint32(word.written.size())};
            indexed.written = word.written.toString();
            indexed.key = word.key;
            indexed.cell = cell;
            words_.append(indexed);
            return indexed;
        };
        const QList<diagnostics::Word> &w = line.words;
        const auto mnemonic = [&](qsizetype i) { return isMnemonicWord(w[i].key); };
        if (w.size() == 1 && mnemonic(0)) {
            add(w[0], IndexedWord::Mnemonic);
        } else if (w.size() == 2 && mnemonic(0) && !mnemonic(1)) {
            // MNEMONIC OPERAND; the operand of an unlabelled DAT is still read as a label.
            add(w[0], IndexedWord::Mnemonic);
            add(w[1], IndexedWord::LabelUse);
        } else if ((w.size() == 2 || w.size() == 3) && !mnemonic(0) && mnemonic(1)) {
            const IndexedWord label = add(w[0], IndexedWord::LabelDefinition);
            add(w[1], IndexedWord::Mnemonic);
            const bool isData = w[1].key == data;
            if (w.size() == 3)
                add(w[2], isData ? IndexedWord::DataValue : IndexedWord::LabelUse);
            if (!definitions_.contains(label.key)) {
                const qint32 value =
                    isData && w.size() == 3 ? dataValueOf(w[2].written.toString()) : 0;
                definitions_.insert(label.key, LabelDefinition{cell, isData, value, label.place});
            }
        } else {
            // A line the assembler refuses: its mnemonics still get their hover.
            for (const diagnostics::Word &word : w) {
                if (isMnemonicWord(word.key))
                    add(word, IndexedWord::Mnemonic);
            }
        }
        ++cell;
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

bool LabelIndex::isUsedAsLabel(const QString &key) const
{
    return !writtenLabel(key).isEmpty();
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
