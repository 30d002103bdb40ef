#pragma once

// The text of an instruction word: how the assembler writes it and how the
// processor reads it back.
//
// The code text of an instruction without operand is recognised only as the
// whole word, with address 0. Any other word is cut after its second
// character: the first two characters are the operation code, the rest is the
// address, both read as decimal numbers. So the address may be written with
// or without a leading zero: 0607 and 067 both read as LDA 7.
// A word that cannot be read that way (no digits, no address part, or a
// number outside the 32-bit range) does not decode.

#include "machine/decimal.h"

#include <QString>

namespace machine
{

// How the address follows the code text in a word.
enum class AddressForm : quint8 {
    TwoDigits, // 07, 45: what an instruction with its operand alone writes
    Plain,     // 7, 45: what a labelled instruction writes
};

// A code text followed by an address, e.g. "06" and 7 give "0607" or "067".
QString encodeWord(QStringView code, qint32 address, AddressForm form);

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
