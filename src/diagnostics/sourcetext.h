#pragma once

// A program text cut into lines and words exactly as the assembler cuts it,
// with the byte range of every word, so that a diagnostic can point at it.
//
// The assembler keeps every line that is not empty (one memory cell each),
// trims white space at both ends (Unicode's, as QString::trimmed does), and
// splits the rest at runs of ASCII blanks, tabs and line-end characters; it
// compares words upper-cased. The same is done here on the text as written.

#include "diagnostics/diagnostic.h"
#include "machine/instructionset.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <deque>
#include <vector>

namespace diagnostics
{

// What a word is in its line, as the assembler reads a line of its shape:
// LABEL MNEMONIC OPERAND, with the label and the operand left out where the
// line has none. Words of a line of no such shape are Other.
enum class Role : quint8 { Label, Mnemonic, Operand, Value, Other };

// A word of a line. Its characters are the SourceText's, so that the words
// of a text take no allocation of their own; a copy of its key that outlives
// the SourceText needs its own data (QString(key.constData(), key.size())).
struct Word {
private:
    // First, so that the word takes 32 bytes.
    const QChar *written_ = nullptr;
    // The upper-cased key: characters as long as the word (the word's own,
    // or a copy), or, for a word whose upper case is longer, a QString.
    const void *key_ = nullptr;

public:
    qint32 begin = 0; // bytes into the line's UTF-8 text, from 0
    qint32 end = 0;   // end excluded
    Role role = Role::Other;

    // As in the text.
    QStringView written() const { return QStringView(written_, writtenSize_); }
    // Upper-cased: what the assembler compares.
    QString key() const
    {
        return ownKey_ ? *static_cast<const QString *>(key_)
                       : QString::fromRawData(static_cast<const QChar *>(key_), writtenSize_);
    }
    // The instruction table's row the word names, or null for a word that is no mnemonic.
    const machine::Instruction *mnemonic() const
    {
        return row_ < 0 ? nullptr : &machine::kInstructionSet[std::size_t(row_)];
    }

private:
    friend class SourceText;
    qint8 row_ = -1;
    bool ownKey_ = false;
    qint32 writtenSize_ = 0;
};
static_assert(sizeof(Word) <= 32, "a text of a mebibyte has a quarter of a million words");

// The words of one line: a view into the words a SourceText keeps.
class Words
{
public:
    Words() = default;
    Words(const Word *data, qsizetype size) : data_(data), size_(size) {}

    qsizetype size() const { return size_; }
    bool isEmpty() const { return size_ == 0; }
    const Word &operator[](qsizetype at) const { return data_[at]; }
    const Word &first() const { return data_[0]; }
    const Word &last() const { return data_[size_ - 1]; }
    // The first n words.
    Words first(qsizetype n) const { return Words(data_, qMin(n, size_)); }
    const Word *begin() const { return data_; }
    const Word *end() const { return data_ + size_; }

private:
    const Word *data_ = nullptr;
    qsizetype size_ = 0;
};

struct SourceLine {
    qint32 number = 0; // counted from 1, empty lines included
    QStringView text;  // as written, without the line feed
    Words words;

    Range rangeOf(const Word &word) const { return Range{number, word.begin, word.end}; }
    // From the first byte of one word to the last byte of another.
    Range rangeOf(const Word &first, const Word &last) const
    {
        return Range{number, first.begin, last.end};
    }
    // The whole line.
    Range whole() const;
    // From the first word to the last, or the whole line when it has none.
    Range allWords() const
    {
        return words.isEmpty() ? whole() : rangeOf(words.first(), words.last());
    }
};

// A program text read once: the lines the assembler keeps (line k becomes
// cell k), with the role of each word, and the line of each label's first
// definition, the one every operand reaches. It keeps the text, which its
// views point into, and so is never copied; its words are kept together,
// without an allocation per line or per word, so that a text of a mebibyte
// is read in a few milliseconds.
class SourceText
{
public:
    explicit SourceText(const QString &text);
    SourceText(const SourceText &) = delete;
    SourceText &operator=(const SourceText &) = delete;

    const QString &text() const { return text_; }
    // Line k is cell k.
    const QList<SourceLine> &lines() const { return lines_; }
    // The index of the line that first defines a label (upper-cased), or -1.
    qint32 labelLine(const QString &key) const { return labels_.value(key, -1); }
    // Every label with the index of the line of its first definition.
    const QHash<QString, qint32> &labels() const { return labels_; }
    // The number a line added after the last one of the text would have.
    qint32 appendedLine() const { return appendedLine_; }
    // The word of line k that holds its mnemonic, or null.
    const Word *mnemonicOf(qint32 k) const;
    // The word after line k's mnemonic, or null.
    const Word *operandOf(qint32 k) const;

private:
    const QString text_;
    // Points a word's key at the word itself when it is written in upper
    // case, else at an upper-cased copy.
    void setKey(Word &word, bool ascii, bool lowerCase);

    // The keys of the words of ASCII characters written in lower case, one
    // after the other, and of the other words one by one (where they stay).
    std::vector<QChar> keys_;
    std::deque<QString> ownKeys_;
    std::vector<Word> words_;
    QList<SourceLine> lines_;
    QHash<QString, qint32> labels_;
    qint32 appendedLine_ = 1;
};

} // namespace diagnostics

// Moved in memory as a whole when the list of them grows.
Q_DECLARE_TYPEINFO(diagnostics::SourceLine, Q_RELOCATABLE_TYPE);

namespace diagnostics
{

// Line `number` of the text (counted from 1), without its line feed; empty
// past the last line.
QStringView lineOfText(QStringView source, qint32 number);

// Bytes of the text in UTF-8 (a lone surrogate counts as the 3 bytes of U+FFFD).
qint32 utf8Length(QStringView text);

// The characters of `text` before byte offset `bytes` of its UTF-8 form.
qsizetype charsBefore(QStringView text, qint32 bytes);

} // namespace diagnostics
