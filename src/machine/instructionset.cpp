#include "machine/instructionset.h"

namespace machine
{

const Instruction *instructionFor(qint32 opcode)
{
    for (const Instruction &row : kInstructionSet) {
        if (row.opcode == opcode && row.isInstruction())
            return &row;
    }
    return nullptr;
}

QLatin1String mnemonicOf(qint32 opcode)
{
    const Instruction *found = instructionFor(opcode);
    return found ? found->mnemonic : QLatin1String();
}

} // namespace machine
