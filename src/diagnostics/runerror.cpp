#include "diagnostics/runerror.h"

#include "diagnostics/characters.h"
#include "diagnostics/mnemonic.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"
#include "machine/word.h"

namespace diagnostics
{

namespace
{

// "cell 05 (line 6, 'x DAT abc')", or "cell 05" for a cell no line assembled to.
QString cellOf(const SourceText &text, qint32 address)
{
    QString cell = QLatin1String("cell ") + machine::addressText(address);
    if (address >= 0 && address < text.lines().size()) {
        const SourceLine &line = text.lines()[address];
        cell += QStringLiteral(" (line %1, ").arg(line.number) + quoted(line.text.trimmed()) +
                QLatin1Char(')');
    }
    return cell;
}

} // namespace

QString faultText(const machine::Fault &fault)
{
    switch (fault.kind) {
    case machine::Fault::None:
        break;
    case machine::Fault::ProgramCounterOutside:
        return QLatin1String("program counter <") + QString::number(fault.number) +
               QLatin1String("> is outside the memory (addresses 0 to 99)");
    case machine::Fault::BadWord: {
        QString text = machine::decodeFailureMessage(fault.word, fault.status).trimmed();
        text.chop(1); // the full stop
        return text;
    }
    case machine::Fault::AddressOutside:
        return QLatin1String("instruction ") + machine::mnemonicOf(fault.opcode) +
               QLatin1String(" uses address <") + QString::number(fault.number) +
               QLatin1String(">, outside the memory (addresses 0 to 99)");
    case machine::Fault::UnknownOpcode:
        return QLatin1String("no instruction has the operation code <") +
               QString::number(fault.opcode) + QLatin1Char('>');
    }
    return {};
}

QString faultText(const SourceText &text, const machine::Fault &fault, qint32 address)
{
    if ((fault.kind != machine::Fault::UnknownOpcode && fault.kind != machine::Fault::BadWord) ||
        !machine::isAddress(address))
        return faultText(fault);
    const bool fromLine = address < text.lines().size();
    QString found = cellOf(text, address);
    if (!fromLine)
        found += QLatin1String(", past the program's last line,");
    if (fault.kind == machine::Fault::UnknownOpcode)
        found += QStringLiteral(" holds %1, whose operation code %2 is no instruction's")
                     .arg(fault.word)
                     .arg(fault.opcode);
    else if (fault.status == machine::Decimal::OutOfRange)
        found += QLatin1String(" holds ") + quoted(fault.word) +
                 QLatin1String(", a number too large to be an instruction word");
    else
        found += QLatin1String(" holds ") + quoted(fault.word) +
                 QLatin1String(", which is no instruction word");
    const Word *mnemonic = fromLine ? text.mnemonicOf(address) : nullptr;
    if (!fromLine) {
        // The notes tell how the run got there.
    } else if (mnemonic == nullptr || isData(mnemonic->mnemonic())) {
        found += QLatin1String("; it is data, and the run took it for an instruction");
    } else {
        const bool operand = text.operandOf(address) != nullptr;
        const QString name = mnemonic->written().toString();
        if (mnemonic->mnemonic()->operand == machine::Operand::None && operand)
            found += QLatin1String("; ") + name +
                     QLatin1String(" takes no operand, and the one written after it made its "
                                   "word none");
        else if (mnemonic->mnemonic()->operand == machine::Operand::Address && !operand)
            found += QLatin1String("; ") + name +
                     QLatin1String(" needs an operand, the label of the cell it works on");
        else
            found += QLatin1String("; a store changed the cell's word");
    }
    return found;
}

QString operandText(const SourceText &text, qint32 address, const QString &mnemonic, qint32 operand,
                    const QString &held)
{
    QString found = mnemonic;
    if (address >= 0 && address < text.lines().size())
        found += QStringLiteral(" on line %1").arg(text.lines()[address].number);
    return found + QLatin1String(" reads ") + cellOf(text, operand) +
           QLatin1String(", which holds ") + quoted(held) +
           QLatin1String(", not a number; the accumulator keeps its value");
}

QString stepLimitText(quint64 steps, const QString &limitName)
{
    return QStringLiteral("the program ran %1 %2 without halting and was stopped (see %3)")
        .arg(steps)
        .arg(steps == 1 ? QLatin1String("step") : QLatin1String("steps"), limitName);
}

Diagnostic runError(const SourceText &text, qint32 address, Code code, const QString &message)
{
    Diagnostic found(Severity::Error, code, Range{}, message);
    if (address < 0 || address >= text.lines().size())
        return found;
    const SourceLine &line = text.lines()[address];
    // The mnemonic; a data line as a whole.
    const Word *mnemonic = text.mnemonicOf(address);
    found.range = mnemonic != nullptr && !isData(mnemonic->mnemonic()) ? line.rangeOf(*mnemonic)
                                                                       : line.allWords();
    return found;
}

} // namespace diagnostics
