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

// Whether the true result lies outside the 32-bit range, so that the operation
// above gave it wrapped around. Worked out in 64 bits, where every sum,
// difference and product of two 32-bit numbers fits.
constexpr bool outside32Bits(qint64 exact)
{
    return exact < std::numeric_limits<qint32>::min() || exact > std::numeric_limits<qint32>::max();
}

constexpr bool addWraps(qint32 a, qint32 b)
{
    return outside32Bits(qint64(a) + qint64(b));
}

constexpr bool subtractWraps(qint32 a, qint32 b)
{
    return outside32Bits(qint64(a) - qint64(b));
}

constexpr bool multiplyWraps(qint32 a, qint32 b)
{
    return outside32Bits(qint64(a) * qint64(b));
}

constexpr bool divideWraps(qint32 a, qint32 b)
{
    return a == std::numeric_limits<qint32>::min() && b == -1;
}

} // namespace machine
