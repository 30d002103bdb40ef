#pragma once

// The words of a document as the assembler reads them: which are mnemonics,
// which define or use a label, which are data values, with their places in
// the protocol's units. Labels are compared as the assembler compares them,
// upper-cased. The words are those of the checked text (korvane-run's
// reading), placed at the lines the editor shows.

#include "diagnostics/sourcetext.h"
#include "lsp/document.h"
#include "machine/instructionset.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace lsp
{

struct Place {
    qint32 line = 0;  // from 0
    qint32 start = 0; // UTF-16 code units into the line
    qint32 end = 0;
};

// A place as the protocol's Range.
QJsonObject placeRange(const Place &place);

struct IndexedWord {
    enum Kind : quint8 { Mnemonic, LabelDefinition, LabelUse, DataValue };
    Kind kind = Mnemonic;
    // The instruction a Mnemonic names.
    const machine::Instruction *instruction = nullptr;
    Place place;
    QString written; // as in the text
    QString key;     // upper-cased
    qint32 cell = 0; // the memory cell of the word's line
};

struct LabelDefinition {
    qint32 cell = 0;
    bool isData = false;
    qint32 value = 0; // what the cell of a data label holds
    Place place;
};

class LabelIndex
{
public:
    // The words of `text`, the checked text of `document`, placed in the document.
    LabelIndex(const std::shared_ptr<const diagnostics::SourceText> &text,
               const Document &document);

    // The word at a position (a position just after a word counts as on it),
    // or null.
    const IndexedWord *wordAt(const Position &position) const;
    // Every definition and use of a label, in text order.
    QList<Place> occurrences(const QString &key, bool withDefinitions = true) const;
    // The first definition of a label (the one the assembler uses), or null.
    const LabelDefinition *definition(const QString &key) const;
    // A label as first written in the text; empty when none has the key.
    QString writtenLabel(const QString &key) const;

    const QList<IndexedWord> &words() const { return words_; }

private:
    QList<IndexedWord> words_;
    QHash<QString, LabelDefinition> definitions_;
};

// A data value read as the assembler reads it: a base-10 number, 0 otherwise.
qint32 dataValueOf(const QString &written);

} // namespace lsp
