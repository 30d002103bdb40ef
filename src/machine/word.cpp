#include "machine/word.h"

namespace machine
{

QLatin1String mnemonicOf(qint32 opcode)
{
    switch (opcode) {
    case Halt:
        return QLatin1String("HLT");
    case Add:
        return QLatin1String("ADD");
    case Subtract:
        return QLatin1String("SUB");
    case Multiply:
        return QLatin1String("MUL");
    case Divide:
        return QLatin1String("DIV");
    case Store:
        return QLatin1String("STA");
    case Load:
        return QLatin1String("LDA");
    case Branch:
        return QLatin1String("BRA");
    case BranchIfZero:
        return QLatin1String("BRZ");
    case BranchIfPositive:
        return QLatin1String("BRP");
    case BranchIfNegative:
        return QLatin1String("BRN");
    case BranchIfFlag:
        return QLatin1String("BRG");
    case Input:
        return QLatin1String("INP");
    case Output:
        return QLatin1String("OUT");
    }
    return QLatin1String();
}

} // namespace machine
