#pragma once

// Pieces of a trace line, appended to a std::string kept across steps: a
// long trace would spend most of its time allocating Qt strings.

#include "program/stepeffect.h"

#include <QString>

#include <string>

namespace run
{

using program::appendNumber;
using program::appendTwoDigits;

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
