#include "assembler/sourcetext.h"

#include "assembler/mnemonic.h"

namespace diagnostics
{

namespace
{

// What splits words: the ASCII white space that \s matches without Unicode properties.
bool separates(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= u'\t' && u <= u'\r');
}

qint32 bytesOf(QStringView text, qsizetype at, qsizetype &step)
{
    const char16_t u = text[at].unicode();
    step = 1;
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (QChar::isHighSurrogate(u) && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        step = 2;
        return 4;
    }
    return 3;
}

} // namespace

Range SourceLine::whole() const
{
    return Range{number, 0, utf8Length(text)};
}

qint32 utf8Length(QStringView text)
{
    qint32 bytes = 0;
    qsizetype step = 1;
    for (qsizetype at = 0; at < text.size(); at += step)
        bytes += bytesOf(text, at, step);
    return bytes;
}

qsizetype charsBefore(QStringView text, qint32 bytes)
{
    qint32 counted = 0;
    qsizetype step = 1;
    qsizetype at = 0;
    for (; at < text.size(); at += step) {
        const qint32 next = counted + bytesOf(text, at, step);
        if (next > bytes)
            break;
        counted = next;
    }
    return at;
}

QList<SourceLine> storedLines(const QString &source)
{
    QList<SourceLine> lines;
    const QStringView text(source);
    lines.reserve(text.count(u'\n') + 1);
    qint32 number = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype stop = text.indexOf(u'\n', start);
        if (stop < 0)
            stop = text.size();
        ++number;
        if (stop > start) {
            SourceLine line;
            line.number = number;
            line.text = text.sliced(start, stop - start);
            // Trimmed as QString::trimmed trims, then split at ASCII white space.
            qsizetype first = 0;
            qsizetype last = line.text.size();
            while (first < last && line.text[first].isSpace())
                ++first;
            while (last > first && line.text[last - 1].isSpace())
                --last;
            qint32 bytes = 0;
            qsizetype step = 1;
            for (qsizetype at = 0; at < first; at += step)
                bytes += bytesOf(line.text, at, step);
            qsizetype at = first;
            line.words.reserve(3); // LABEL MNEMONIC OPERAND, the longest accepted line
            while (at < last) {
                if (separates(line.text[at])) {
                    bytes += 1;
                    ++at;
                    continue;
                }
                Word word;
                word.begin = bytes;
                const qsizetype wordStart = at;
                while (at < last && !separates(line.text[at])) {
                    bytes += bytesOf(line.text, at, step);
                    at += step;
                }
                word.end = bytes;
                word.written = line.text.sliced(wordStart, at - wordStart);
                word.key = word.written.toString().toUpper(); // in place: no second copy
                word.mnemonic = rowOf(word.key);
                line.words.append(std::move(word));
            }
            lines.append(std::move(line));
        }
        start = stop + 1;
    }
    return lines;
}

QStringView lineOfText(QStringView source, qint32 number)
{
    qsizetype start = 0;
    for (qint32 line = 1; line < number; ++line) {
        start = source.indexOf(u'\n', start);
        if (start < 0)
            return {};
        ++start;
    }
    qsizetype stop = source.indexOf(u'\n', start);
    if (stop < 0)
        stop = source.size();
    return source.sliced(start, stop - start);
}

} // namespace diagnostics
