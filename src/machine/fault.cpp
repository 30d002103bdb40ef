#include "machine/fault.h"

#include "machine/instructionset.h"
#include "machine/instructionword.h"

namespace machine
{

QString message(const Fault &fault)
{
    switch (fault.kind) {
    case Fault::None:
        break;
    case Fault::ProgramCounterOutside:
        return QLatin1String("Error: program counter <") + QString::number(fault.number) +
               QLatin1String("> is outside the memory (addresses 0 to 99).");
    case Fault::BadWord:
        return decodeFailureMessage(fault.word, fault.status);
    case Fault::AddressOutside:
        return QLatin1String("Error: instruction ") + mnemonicOf(fault.opcode) +
               QLatin1String(" uses address <") + QString::number(fault.number) +
               QLatin1String(">, outside the memory (addresses 0 to 99).");
    case Fault::UnknownOpcode:
        return QLatin1String("Error in execution <") + QString::number(fault.opcode) +
               QLatin1String(">.\n");
    }
    return {};
}

} // namespace machine
