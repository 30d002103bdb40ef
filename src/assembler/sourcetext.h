#pragma once

// A program text cut into lines and words exactly as the assembler cuts it,
// with the byte range of every word, so that a diagnostic can point at it.
//
// The assembler keeps every line that is not empty (one memory cell each),
// trims white space at both ends (Unicode's, as QString::trimmed does), and
// splits the rest at runs of ASCII blanks, tabs and line-end characters; it
// compares words upper-cased. The same is done here on the text as written.

#include "assembler/diagnostic.h"
#include "machine/instructionset.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

namespace diagnostics
{

struct Word {
    QStringView written; // as in the text
    QString key;         // upper-cased: what the assembler compares
    // The instruction table's row the word names, or null for a word that is no mnemonic.
    const machine::Instruction *mnemonic = nullptr;
    qint32 begin = 0; // bytes into the line's UTF-8 text, from 0
    qint32 end = 0;   // end excluded
};

struct SourceLine {
    qint32 number = 0; // counted from 1, empty lines included
    QStringView text;  // as written, without the line feed
    QList<Word> words;

    Range rangeOf(const Word &word) const { return Range{number, word.begin, word.end}; }
    // From the first byte of one word to the last byte of another.
    Range rangeOf(const Word &first, const Word &last) const
    {
        return Range{number, first.begin, last.end};
    }
    // The whole line.
    Range whole() const;
};

// The lines the assembler keeps, in order: line k becomes cell k. Views into
// `source`, which must outlive them.
QList<SourceLine> storedLines(const QString &source);

// Line `number` of the text (counted from 1), without its line feed; empty
// past the last line.
QStringView lineOfText(QStringView source, qint32 number);

// Bytes of the text in UTF-8 (a lone surrogate counts as the 3 bytes of U+FFFD).
qint32 utf8Length(QStringView text);

// The characters of `text` before byte offset `bytes` of its UTF-8 form.
qsizetype charsBefore(QStringView text, qint32 bytes);

} // namespace diagnostics
