#include "programs.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "machine/decimal.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"
#include "machine/word.h"

namespace bench
{

QString countDownProgram()
{
    return QStringLiteral("\tINP\n"
                          "\tSTA\tcount\n"
                          "loop\tLDA\tcount\n"
                          "\tSUB\tone\n"
                          "\tSTA\tcount\n"
                          "\tBRP\tloop\n"
                          "\tHLT\n"
                          "one\tDAT\t1\n"
                          "count\tDAT\n");
}

QString countDownOutputProgram()
{
    return QStringLiteral("\tINP\n"
                          "\tSTA\tcount\n"
                          "loop\tLDA\tcount\n"
                          "\tOUT\n"
                          "\tSUB\tone\n"
                          "\tSTA\tcount\n"
                          "\tBRP\tloop\n"
                          "\tHLT\n"
                          "one\tDAT\t1\n"
                          "count\tDAT\n");
}

QStringList assembleImage(const QString &program)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    return splitText(assembler.assemble(program), QStringLiteral("\n"));
}

namespace
{

// An instruction word as operation code * 100 + address ("068", LDA 8, gives
// 608); any other word as its number (0 when it holds none).
std::int32_t referenceWord(const QString &word)
{
    const machine::Decoded decoded = machine::decodeWord(word);
    if (decoded.ok() && (decoded.opcode == machine::Input || decoded.opcode == machine::Output))
        return decoded.opcode;
    if (decoded.ok() && decoded.opcode >= machine::Halt &&
        decoded.opcode <= machine::BranchIfFlag && machine::isAddress(decoded.address))
        return decoded.opcode * 100 + decoded.address;
    return machine::parseDecimal(word).value;
}

} // namespace

reference::Memory referenceMemory(const QStringList &image)
{
    reference::Memory memory{};
    for (qsizetype address = 0; address < image.size() && address < qsizetype(memory.size());
         ++address)
        memory[std::size_t(address)] = referenceWord(image[address]);
    return memory;
}

QString repeatedToOneMebibyte(const QString &block)
{
    const qsizetype blockBytes = block.toUtf8().size();
    QString text;
    for (qsizetype bytes = 0; bytes + blockBytes <= 1024 * 1024; bytes += blockBytes)
        text += block;
    return text;
}

} // namespace bench
