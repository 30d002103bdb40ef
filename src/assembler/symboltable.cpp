#include "assembler/assembler.h"

#include <algorithm>
#include <limits>
#include <new>
#include <utility>

void Assembler::addLabel(const QString &name, qint32 address)
{
    append(SymbolEntry{name, address, 0, false});
}

void Assembler::addData(const QString &name, qint32 address, qint32 value)
{
    append(SymbolEntry{name, address, value, true});
}

void Assembler::append(SymbolEntry entry)
{
    if (symbolCount >= symbolCapacity) {
        // Doubling is computed wide and capped at the int range, so a capacity
        // too large to double is passed on as a refused one instead of wrapping.
        const qint64 doubled = qint64(symbolCapacity) * 2;
        const qint64 capped = std::min<qint64>(doubled, std::numeric_limits<qint32>::max());
        grow(static_cast<qint32>(capped)); // throws when refused; nothing stored then
    }
    symbols[static_cast<std::size_t>(symbolCount)] = std::move(entry);
    ++symbolCount;
}

void Assembler::grow(qint32 newCapacity)
{
    const QString failure = QStringLiteral("Can not extend memort for SymbolTable.");
    // Shrinking would drop entries; the ceiling keeps a runaway table from
    // asking for absurd amounts of memory.
    if (newCapacity <= symbolCapacity || newCapacity > kMaxSymbolCapacity)
        throw failure;

    std::unique_ptr<SymbolEntry[]> enlarged(new (std::nothrow)
                                                SymbolEntry[static_cast<std::size_t>(newCapacity)]);
    if (!enlarged)
        throw failure;

    for (qint32 i = 0; i < symbolCount; ++i)
        enlarged[static_cast<std::size_t>(i)] = std::move(symbols[static_cast<std::size_t>(i)]);
    symbols = std::move(enlarged);
    symbolCapacity = newCapacity;
}

qint32 Assembler::lookup(const QString &name, bool wantValue) const
{
    // Insertion order, first match: the earliest definition of a name wins.
    for (qint32 i = 0; i < symbolCount; ++i) {
        const SymbolEntry &entry = symbols[static_cast<std::size_t>(i)];
        if (entry.labelName == name)
            return wantValue ? entry.dataValue : entry.labelAddress;
    }
    throw QStringLiteral("Name <") + name + QStringLiteral("> not found.");
}
