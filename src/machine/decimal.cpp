#include "machine/decimal.h"

#include <limits>

namespace machine
{

namespace
{

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

Decimal parseDecimal(QStringView text)
{
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size && isCSpace(text[i].unicode()))
        ++i;

    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= size || !isDigit(text[i].unicode()))
        return {Decimal::NoDigits, 0};

    // The magnitude is gathered in 64 bits and saturates just past the widest
    // 32-bit magnitude, so any run of digits is read without overflow.
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < size && isDigit(text[i].unicode()); ++i) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (text[i].unicode() - u'0');
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return {Decimal::OutOfRange, 0, i};
    return {Decimal::Ok, qint32(value), i};
}

} // namespace machine
