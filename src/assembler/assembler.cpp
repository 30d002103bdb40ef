#include "assembler/assembler.h"

#include "assembler/splittext.h"
#include "machine/instructionset.h"

namespace
{

// What codeOf answers for a word that is no mnemonic; no code text equals it.
const QString kNotMnemonic = QStringLiteral("-2");

} // namespace

Assembler::Assembler(qint32 capacity)
{
    symbolCapacity = capacity > 0 ? capacity : kDefaultSymbolCapacity;
    symbols = std::make_unique<SymbolEntry[]>(static_cast<std::size_t>(symbolCapacity));

    for (const machine::Instruction &row : machine::kInstructionSet)
        opcodes.emplace(QString(row.mnemonic), QString(row.code));
}

void Assembler::loadLines(const QString &source)
{
    const QList<QString> parts = splitText(source, QStringLiteral("\n"));
    // Each line becomes one memory word, so a longer program cannot be loaded.
    // Checked before anything is stored: the program is refused as a whole.
    const qint64 total = qint64(lineCount) + parts.size();
    if (total > machine::kMemorySize)
        throw QStringLiteral("Error: the program has ") + QString::number(total) +
            QStringLiteral(" lines, but the memory holds at most ") +
            QString::number(machine::kMemorySize) + QStringLiteral(".");

    // The parts are the pieces of text between line feeds that are not empty,
    // in order; the line feeds skipped before each one tell its line number.
    qint32 textLine = 1;
    qsizetype position = 0;
    for (const QString &part : parts) {
        for (; source.at(position) == QLatin1Char('\n'); ++position)
            ++textLine;
        position += part.size();
        const auto slot = static_cast<std::size_t>(lineCount);
        lines[slot] = part.trimmed().toUpper();
        lineNumbers[slot] = textLine;
        ++lineCount;
    }
}

QString Assembler::codeOf(const QString &word) const
{
    const auto found = opcodes.find(word);
    return found != opcodes.end() ? found->second : kNotMnemonic;
}

bool Assembler::isMnemonic(const QString &word) const
{
    return opcodes.find(word) != opcodes.end();
}
