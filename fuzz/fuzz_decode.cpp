// Decimal conversion, typed input and word decoding on arbitrary text.
//
// Each input is tried twice: read as UTF-8, and taken as raw UTF-16 code
// units (which also gives unpaired surrogates). parseDecimal is checked
// against the C library's strtoll in base 10: leading C white space, one
// optional sign, the longest run of the digits 0 to 9, and a number outside
// the 32-bit range told apart from a text without digits. A character outside
// ASCII, or a NUL, is neither white space, sign nor digit for either, so it is
// handed to strtoll as a control character that ends the number the same way.

#include "machine/decimal.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"
#include "machine/typedinput.h"
#include "machine/word.h"

#include <QString>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

using machine::Decimal;

namespace
{

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "decoding property violated: %s\n", what);
        std::abort();
    }
}

Decimal referenceDecimal(QStringView text)
{
    std::string ascii;
    ascii.reserve(size_t(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        ascii.push_back(u != 0 && u < 0x80 ? char(u) : '\x01');
    }
    const char *begin = ascii.c_str();
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return {Decimal::NoDigits, 0};
    if (errno == ERANGE || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return {Decimal::OutOfRange, 0};
    return {Decimal::Ok, qint32(value)};
}

bool same(const Decimal &a, const Decimal &b)
{
    return a.status == b.status && (!a.ok() || a.value == b.value);
}

void check(QStringView text)
{
    const Decimal number = machine::parseDecimal(text);
    require(same(number, referenceDecimal(text)), "parseDecimal agrees with strtoll");

    const machine::TypedInput typed = machine::readTypedInput(text);
    if (text.isEmpty())
        require(typed.kind == machine::TypedInput::Empty, "empty typed text");
    else if (number.ok())
        require(typed.kind == machine::TypedInput::Accepted && typed.value == number.value,
                "typed number accepted");
    else
        require(typed.kind == machine::TypedInput::Invalid, "typed text without number refused");

    // Whole words first, then two characters of code and the rest as address.
    const machine::Decoded decoded = machine::decodeWord(text);
    const QLatin1String halt = machine::instruction(machine::Halt).code;
    const QLatin1String input = machine::instruction(machine::Input).code;
    const QLatin1String output = machine::instruction(machine::Output).code;
    if (text == halt || text == input || text == output) {
        require(decoded.ok() && decoded.address == 0, "whole words decode with address 0");
        require(decoded.opcode == (text == halt    ? machine::Halt
                                   : text == input ? machine::Input
                                                   : machine::Output),
                "whole word opcode");
    } else {
        const Decimal code = referenceDecimal(text.left(2));
        const Decimal address = referenceDecimal(text.size() > 2 ? text.mid(2) : QStringView());
        const Decimal::Status status = !code.ok() ? code.status : address.status;
        require(decoded.status == status, "decode status");
        if (decoded.ok()) {
            require(decoded.opcode == code.value && decoded.address == address.value,
                    "decoded opcode and address");
            require(decoded.opcode >= -9 && decoded.opcode <= 99, "two characters of code");
        }
    }
    if (decoded.ok())
        require(machine::mnemonicOf(decoded.opcode).isEmpty() ==
                    (decoded.opcode < machine::Halt ||
                     (decoded.opcode > machine::BranchIfFlag && decoded.opcode != machine::Input &&
                      decoded.opcode != machine::Output)),
                "a mnemonic exactly for the instructions");

    const QString word = text.toString();
    for (const Decimal::Status status : {Decimal::NoDigits, Decimal::OutOfRange}) {
        const QString message = machine::decodeFailureMessage(word, status);
        const QString expected =
            (status == Decimal::OutOfRange ? QLatin1String("number out of range <")
                                           : QLatin1String("invalid argument <")) +
            word + QLatin1String(">.");
        require(message == expected, "decode failure message quotes the word");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));

    std::u16string units(size / 2, u'\0');
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    check(QStringView(units));
    return 0;
}
