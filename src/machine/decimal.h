#pragma once

// Reading a cell text or a typed text as a decimal number.
//
// The rules are those of the C++ library's stoi in base 10: leading white
// space (space, tab, line feed, vertical tab, form feed, carriage return) is
// skipped, one optional sign is accepted, then the longest run of the digits
// 0 to 9 is taken and anything after it is ignored. A text without such digits
// and a number outside the 32-bit signed range are told apart.

#include <QStringView>
#include <QtGlobal>

namespace machine
{

struct Decimal {
    enum Status : quint8 { Ok, NoDigits, OutOfRange };
    Status status = NoDigits;
    qint32 value = 0; // meaningful only when status is Ok
    // Characters read: the white space, the sign and the digits; what
    // follows them is ignored.
    qsizetype length = 0;

    bool ok() const { return status == Ok; }
};

Decimal parseDecimal(QStringView text);

// The white space that stoi skips: space, tab, line feed, vertical tab, form
// feed, carriage return. Typed values are separated by it too.
constexpr bool isCSpace(char32_t c)
{
    return c == U' ' || (c >= U'\t' && c <= U'\r');
}

} // namespace machine
