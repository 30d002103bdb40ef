#pragma once

#include "assembler/symbolentry.h"
#include "machine/word.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <map>
#include <memory>

// Mnemonic -> code text, ordered by case-sensitive QString comparison.
using OpcodeTable = std::map<QString, QString>;

// Turns one program text into the memory image: one word per source line.
//
// An Assembler serves a single assemble() call. Every failure is thrown as a
// QString holding the message the user reads.
class Assembler
{
public:
    // The symbol table never needs more than one entry per line; growth beyond
    // this many entries is refused.
    static constexpr qint32 kMaxSymbolCapacity = 1 << 16;
    // Capacity used when the constructor is given none (0 or less).
    static constexpr qint32 kDefaultSymbolCapacity = 20;

    explicit Assembler(qint32 capacity);
    Assembler(const Assembler &) = delete;
    Assembler &operator=(const Assembler &) = delete;

    // Source text -> trimmed, upper-cased lines appended to the line store,
    // each with the number of the text line it came from. Throws when the
    // store would hold more lines than memory has cells; nothing is stored then.
    void loadLines(const QString &source);
    // Code text of a mnemonic, or "-2" for a word that is none.
    QString codeOf(const QString &word) const;
    bool isMnemonic(const QString &word) const;

    void addLabel(const QString &name, qint32 address);
    void addData(const QString &name, qint32 address, qint32 value);
    // Moves the entries into a larger array. Throws when the capacity is
    // refused or the storage cannot be obtained; the table is unchanged then.
    void grow(qint32 newCapacity);
    // Value (wantValue) or address of the first entry with exactly this name.
    qint32 lookup(const QString &name, bool wantValue) const;

    // Pass 1: enters every label of the stored lines in the symbol table.
    void collectLabels();
    // Assembles the whole source; returns each word followed by "\n". When it
    // throws, errorLine tells the stored line the message is about.
    QString assemble(const QString &source);

    std::unique_ptr<SymbolEntry[]> symbols;
    std::array<QString, machine::kMemorySize> lines;
    qint32 lineCount = 0;
    qint32 symbolCount = 0;
    qint32 symbolCapacity = 0;
    OpcodeTable opcodes;
    // Line of the source text that stored line k came from, counted from 1
    // with blank lines included: where an editor finds the line.
    std::array<qint32, machine::kMemorySize> lineNumbers{};
    // The stored line that the last thrown message is about, or -1 when it
    // is about none (a program with too many lines).
    qint32 errorLine = -1;

private:
    void append(SymbolEntry entry);
    QString encodeLine(const QString &line) const;
};
