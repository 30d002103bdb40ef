#pragma once

// Pieces of a trace line, appended to a std::string kept across steps: a
// long trace would spend most of its time allocating Qt strings.

#include <QString>
#include <QtGlobal>

#include <charconv>
#include <iterator>
#include <string>

namespace run
{

// The number, right-aligned in a column of `width` characters (0: as long as it is).
template <typename Number>
void appendNumber(std::string &line, Number value, std::size_t width = 0)
{
    char digits[24];
    const auto written = std::to_chars(std::begin(digits), std::end(digits), value);
    const auto size = std::size_t(written.ptr - digits);
    if (size < width)
        line.append(width - size, ' ');
    line.append(digits, written.ptr);
}

// An address as the memory table numbers it: at least two digits.
inline void appendTwoDigits(std::string &line, qint32 value)
{
    if (value >= 0 && value < 10)
        line += '0';
    appendNumber(line, value);
}

// Fills the line with blanks up to `from + width`.
inline void pad(std::string &line, std::size_t from, std::size_t width)
{
    if (line.size() < from + width)
        line.append(from + width - line.size(), ' ');
}

// Whether every character is plain ASCII, which a trace copies byte by byte.
inline bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace run
