#include "diagnostics/runerror.h"

#include "diagnostics/mnemonic.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"

namespace diagnostics
{

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
    found.range = mnemonic != nullptr && !isData(mnemonic->mnemonic) ? line.rangeOf(*mnemonic)
                                                                     : line.allWords();
    return found;
}

} // namespace diagnostics
