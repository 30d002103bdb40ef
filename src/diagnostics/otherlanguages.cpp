#include "diagnostics/otherlanguages.h"

#include <QLatin1String>

#include <array>
#include <utility>

namespace diagnostics
{

namespace
{

using machine::Opcode;

// Beside the instruction set: what each word is called elsewhere.
constexpr std::array<std::pair<const char *, Opcode>, 43> kOtherWords = {{
    {"LOAD", machine::Load},
    {"LD", machine::Load},
    {"LDR", machine::Load},
    {"MOV", machine::Load},
    {"STORE", machine::Store},
    {"ST", machine::Store},
    {"STO", machine::Store},
    {"STR", machine::Store},
    {"JMP", machine::Branch},
    {"JUMP", machine::Branch},
    {"B", machine::Branch},
    {"GOTO", machine::Branch},
    {"BRANCH", machine::Branch},
    {"JZ", machine::BranchIfZero},
    {"BEQ", machine::BranchIfZero},
    {"JE", machine::BranchIfZero},
    {"JN", machine::BranchIfNegative},
    {"BMI", machine::BranchIfNegative},
    {"BLT", machine::BranchIfNegative},
    {"JP", machine::BranchIfPositive},
    {"BPL", machine::BranchIfPositive},
    {"BGT", machine::BranchIfPositive},
    {"BGE", machine::BranchIfPositive},
    {"OUTPUT", machine::Output},
    {"PRINT", machine::Output},
    {"WRITE", machine::Output},
    {"DISPLAY", machine::Output},
    {"INPUT", machine::Input},
    {"READ", machine::Input},
    {"IN", machine::Input},
    {"GET", machine::Input},
    {"END", machine::Halt},
    {"STOP", machine::Halt},
    {"HALT", machine::Halt},
    {"EXIT", machine::Halt},
    {"MULT", machine::Multiply},
    {"MPY", machine::Multiply},
    {"MULTIPLY", machine::Multiply},
    {"SUBTRACT", machine::Subtract},
    {"DIVIDE", machine::Divide},
    {"DATA", machine::Data},
    {"WORD", machine::Data},
    {"DW", machine::Data},
}};

} // namespace

const machine::Instruction *otherLanguageMnemonic(const QString &key)
{
    for (const auto &[word, opcode] : kOtherWords) {
        if (key == QLatin1String(word))
            return &machine::instruction(opcode);
    }
    return nullptr;
}

} // namespace diagnostics
