#pragma once

// The accumulator's arithmetic. Results wrap at 32 bits like the two's
// complement hardware the machine models; the work is done on unsigned values
// so that no signed overflow occurs.

#include <QtGlobal>

#include <limits>

namespace machine
{

constexpr qint32 wrappingAdd(qint32 a, qint32 b)
{
    return qint32(quint32(a) + quint32(b));
}

constexpr qint32 wrappingSubtract(qint32 a, qint32 b)
{
    return qint32(quint32(a) - quint32(b));
}

constexpr qint32 wrappingMultiply(qint32 a, qint32 b)
{
    return qint32(quint32(a) * quint32(b));
}

// Quotient truncated toward zero. The one quotient that does not fit,
// -2147483648 / -1, wraps to -2147483648 like the other operations.
// The divisor must not be 0.
constexpr qint32 wrappingDivide(qint32 a, qint32 b)
{
    if (b == -1)
        return wrappingSubtract(0, a);
    return a / b;
}

} // namespace machine
