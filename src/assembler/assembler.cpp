#include "assembler/assembler.h"

#include "assembler/splittext.h"

namespace
{

// What codeOf answers for a word that is no mnemonic; no code text equals it.
const QString kNotMnemonic = QStringLiteral("-2");

} // namespace

Assembler::Assembler(qint32 capacity)
{
    symbolCapacity = capacity > 0 ? capacity : kDefaultSymbolCapacity;
    symbols = std::make_unique<SymbolEntry[]>(static_cast<std::size_t>(symbolCapacity));

    static const std::pair<const char *, const char *> kOpcodes[] = {
        {"ADD", "01"}, {"SUB", "02"},   {"MUL", "03"},   {"DIV", "04"},  {"STA", "05"},
        {"LDA", "06"}, {"BRA", "07"},   {"BRZ", "08"},   {"BRP", "09"},  {"BRN", "10"},
        {"BRG", "11"}, {"INP", "1201"}, {"OUT", "1202"}, {"HLT", "000"}, {"DAT", "-1"},
    };
    for (const auto &[mnemonic, code] : kOpcodes)
        opcodes.emplace(QString::fromLatin1(mnemonic), QString::fromLatin1(code));
}

bool Assembler::loadLines(const QString &source)
{
    const QList<QString> parts = splitText(source, QStringLiteral("\n"));
    // Each line becomes one memory word, so a longer program cannot be loaded.
    // Checked before anything is stored: the program is refused as a whole.
    const qint64 total = qint64(lineCount) + parts.size();
    if (total > machine::kMemorySize)
        throw QStringLiteral("Error: the program has ") + QString::number(total) +
            QStringLiteral(" lines, but the memory holds at most ") +
            QString::number(machine::kMemorySize) + QStringLiteral(".");

    for (const QString &part : parts) {
        lines[static_cast<std::size_t>(lineCount)] = part.trimmed().toUpper();
        ++lineCount;
    }
    return true;
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
