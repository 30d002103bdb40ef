#pragma once

// How a text that the user typed for the input instruction is taken.

#include <QLatin1String>
#include <QStringView>

namespace machine
{

struct TypedInput {
    enum Kind : quint8 {
        Empty,    // nothing typed: ask again without a word
        Invalid,  // no number in it, or one outside the 32-bit range: say so and ask again
        Accepted, // value holds the number
    };
    Kind kind = Empty;
    qint32 value = 0;
    // Accepted, though characters follow the number ("3.5" reads as 3).
    bool readInPart = false;
};

// Message shown when a typed text is not taken as a number.
inline constexpr QLatin1String kInvalidInputMessage{"Invalid input."};

TypedInput readTypedInput(QStringView text);

} // namespace machine
