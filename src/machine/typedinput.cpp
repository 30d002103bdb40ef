#include "machine/typedinput.h"

#include "machine/decimal.h"

namespace machine
{

TypedInput readTypedInput(QStringView text)
{
    if (text.isEmpty())
        return {TypedInput::Empty, 0};
    const Decimal number = parseDecimal(text);
    if (!number.ok())
        return {TypedInput::Invalid, 0};
    return {TypedInput::Accepted, number.value, number.length < text.size()};
}

} // namespace machine
