#include "machine/instructionword.h"

#include "machine/instructionset.h"

namespace machine
{

QString encodeWord(QStringView code, qint32 address, AddressForm form)
{
    QString word = code.toString() + QString::number(address);
    if (form == AddressForm::TwoDigits && address >= 0 && address < 10)
        word.insert(code.size(), QLatin1Char('0'));
    return word;
}

Decoded decodeWord(QStringView word)
{
    // An instruction without operand is its code text, recognised only as the whole word.
    for (const Instruction &row : kInstructionSet) {
        if (row.operand == Operand::None && word == row.code)
            return {Decimal::Ok, row.opcode, 0};
    }

    // A word of fewer than three characters has an empty address part, which
    // holds no digits: "00", "01" and a lone "0" all fail here.
    const Decimal code = parseDecimal(word.left(2));
    if (!code.ok())
        return {code.status, 0, 0};
    const Decimal address = parseDecimal(word.size() > 2 ? word.mid(2) : QStringView());
    if (!address.ok())
        return {address.status, 0, 0};
    return {Decimal::Ok, code.value, address.value};
}

QString decodeFailureMessage(const QString &word, Decimal::Status status)
{
    if (status == Decimal::OutOfRange)
        return QLatin1String("number out of range <") + word + QLatin1String(">.");
    return QLatin1String("invalid argument <") + word + QLatin1String(">.");
}

} // namespace machine
