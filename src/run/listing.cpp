#include "run/listing.h"

#include <QList>

#include <algorithm>

namespace terminal
{

QString imageOf(const korvane::Program &program)
{
    QString text;
    for (const QString &word : program.image)
        text += word + QLatin1Char('\n');
    return text;
}

QString listingOf(const korvane::Program &program)
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
            text += korvane::addressText(address) + QLatin1Char(' ') +
                    program.image[address].leftJustified(width) + QLatin1String("  ");
        text += lines[i] + QLatin1Char('\n');
    }
    return text;
}

QString memoryOf(const machine::Processor &processor)
{
    QString text;
    for (int address = 0; address < machine::kMemorySize; ++address)
        text += processor.word(address) +
                QLatin1Char(machine::columnOf(address) == machine::kMemoryColumns - 1 ? '\n' : ' ');
    return text;
}

} // namespace terminal
