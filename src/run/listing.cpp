#include "run/listing.h"

#include <QList>

#include <algorithm>

namespace run
{

QString imageOf(const program::Program &program)
{
    QString text;
    for (const QString &word : program.image)
        text += word + QLatin1Char('\n');
    return text;
}

QString listingOf(const program::Program &program)
{
    qsizetype width = 0;
    for (const QString &word : program.image)
        width = std::max(width, word.size());

    QStringList lines = program.text.split(QLatin1Char('\n'));
    // A final line feed ends the last line; it starts no further one.
    if (lines.constLast().isEmpty())
        lines.removeLast();
    QList<qint32> addressOfLine(lines.size(), -1);
    for (qint32 address = 0; address < program.image.size(); ++address) {
        const qsizetype line = program.lineNumbers[static_cast<std::size_t>(address)] - 1;
        if (line >= 0 && line < addressOfLine.size())
            addressOfLine[line] = address;
    }

    const QString indentation(2 + 1 + width + 2, QLatin1Char(' '));
    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qint32 address = addressOfLine[i];
        if (address < 0)
            text += indentation;
        else
            text += program::addressText(address) + QLatin1Char(' ') +
                    program.image[address].leftJustified(width) + QLatin1String("  ");
        text += lines[i] + QLatin1Char('\n');
    }
    return text;
}

QString memoryOf(const machine::Processor &processor)
{
    QStringList words;
    qsizetype width = 0;
    for (int address = 0; address < machine::kMemorySize; ++address) {
        words << processor.word(address);
        width = std::max(width, words.constLast().size());
    }
    // Left-aligned in columns of the widest word, as the listing aligns them;
    // no blanks at the end of a line.
    QString text;
    QString line;
    for (int address = 0; address < machine::kMemorySize; ++address) {
        const bool last = machine::columnOf(address) == machine::kMemoryColumns - 1;
        line += last ? words[address] : words[address].leftJustified(width) + QLatin1Char(' ');
        if (last) {
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
            text += line + QLatin1Char('\n');
            line.clear();
        }
    }
    return text;
}

} // namespace run
