#pragma once

// Decoding a memory word into an operation code and an address.
//
// The code text of an instruction without operand is recognised only as the
// whole word, with address 0. Any other word is cut after its second
// character: the first two characters are the operation code, the rest is the
// address, both read as decimal numbers.
// A word that cannot be read that way (no digits, no address part, or a
// number outside the 32-bit range) does not decode.

#include "machine/decimal.h"

#include <QString>

namespace machine
{

struct Decoded {
    Decimal::Status status = Decimal::NoDigits; // Ok when the word decoded
    qint32 opcode = 0;
    qint32 address = 0;

    bool ok() const { return status == Decimal::Ok; }
};

Decoded decodeWord(QStringView word);

// The message that ends a run at a word that does not decode, e.g.
// "invalid argument <00>." for the text of an empty cell.
QString decodeFailureMessage(const QString &word, Decimal::Status status);

} // namespace machine
