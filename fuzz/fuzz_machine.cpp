// Runs arbitrary memory contents on the processor, headless.
//
// The input is read as UTF-8 and cut at line feeds: the lines up to a line
// that is exactly "=" (at most 100 of them) are the cell texts from address 0,
// the cells after them hold "00"; the lines after the "=" are the texts typed
// for INP, in order. Typed texts that are empty or no number are passed over,
// as the input dialog would ask again; when none is left the run ends.
//
// The processor is driven in slices of a few steps up to a small step limit,
// and after every stop it is compared with a plain model of the machine that
// keeps its memory as text and reads every word afresh: stop, registers, step
// count, memory texts, cells stored into and output must agree. Memory must
// keep exactly 100 cells; addresses outside 0 to 99 read as nothing.

#include "machine/arithmetic.h"
#include "machine/decimal.h"
#include "machine/instructionset.h"
#include "machine/processor.h"
#include "machine/typedinput.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

using machine::Processor;
using Stop = Processor::Stop;

namespace
{

constexpr quint64 kStepLimit = 1000;

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "machine property violated: %s\n", what);
        std::abort();
    }
}

// The machine exactly as its rules read, without caches.
struct Model {
    std::array<QString, machine::kMemorySize> memory;
    qint32 pc = 0;
    qint32 accumulator = 0;
    qint32 flags = 0;
    qint32 opcode = 0;
    qint32 address = 0;
    quint64 steps = 0;
    std::vector<qint32> output;
    std::vector<qint32> operandReports; // address of each instruction whose operand is no number
    std::bitset<machine::kMemorySize> stored;

    Stop run(quint64 stopAtStep)
    {
        for (;;) {
            if (steps >= stopAtStep)
                return Stop::StepLimit;
            if (!machine::isAddress(pc))
                return Stop::Fault;
            const QString word = memory[size_t(pc)];
            ++pc;
            ++steps;
            const machine::Decoded decoded = machine::decodeWord(word);
            if (!decoded.ok())
                return Stop::Fault;
            opcode = decoded.opcode;
            address = decoded.address;
            switch (opcode) {
            case machine::Halt:
                return Stop::Halted;
            case machine::Add:
            case machine::Subtract:
            case machine::Multiply:
            case machine::Divide:
            case machine::Load: {
                if (!machine::isAddress(address))
                    return Stop::Fault;
                const machine::Decimal value = machine::parseDecimal(memory[size_t(address)]);
                if (!value.ok()) {
                    operandReports.push_back(pc - 1);
                    break;
                }
                if (opcode == machine::Add)
                    accumulator = machine::wrappingAdd(accumulator, value.value);
                else if (opcode == machine::Subtract)
                    accumulator = machine::wrappingSubtract(accumulator, value.value);
                else if (opcode == machine::Multiply)
                    accumulator = machine::wrappingMultiply(accumulator, value.value);
                else if (opcode == machine::Load)
                    accumulator = value.value;
                else if (value.value == 0)
                    flags = 1;
                else
                    accumulator = machine::wrappingDivide(accumulator, value.value);
                break;
            }
            case machine::Store:
                if (!machine::isAddress(address))
                    return Stop::Fault;
                memory[size_t(address)] = QString::number(accumulator);
                stored.set(size_t(address));
                break;
            case machine::Branch:
                pc = address;
                break;
            case machine::BranchIfZero:
                if (accumulator == 0)
                    pc = address;
                break;
            case machine::BranchIfPositive:
                if (accumulator > 0)
                    pc = address;
                break;
            case machine::BranchIfNegative:
                if (accumulator < 0)
                    pc = address;
                break;
            case machine::BranchIfFlag:
                if (flags == 1)
                    pc = address;
                break;
            case machine::Input:
                return Stop::NeedsInput;
            case machine::Output:
                output.push_back(accumulator);
                break;
            default:
                return Stop::Fault;
            }
        }
    }
};

struct OperandReport {
    qint32 address;
    QString line;
};

void compare(const Processor &processor, const Model &model, const Processor::Changes &changes,
             const std::vector<OperandReport> &reports, Stop stop)
{
    require(processor.pc() == model.pc, "program counter");
    require(processor.accumulator() == model.accumulator, "accumulator");
    require(processor.flags() == model.flags, "flags");
    require(processor.flags() == 0 || processor.flags() == 1, "flags is 0 or 1");
    require(processor.executedSteps() == model.steps, "step count");
    require(processor.executedSteps() <= kStepLimit, "step limit kept");
    require(processor.halted() == (stop == Stop::Halted), "halted only after HLT");
    // Both keep the registers of the last word that decoded.
    require(processor.opcode() == model.opcode, "opcode");
    require(processor.address() == model.address, "address");
    // The texts are compared where a front end reads them: when the run waits
    // or ends (comparing them at every slice makes the search several times slower).
    if (stop != Stop::StepLimit) {
        for (int address = 0; address < machine::kMemorySize; ++address)
            require(processor.word(address) == model.memory[size_t(address)], "memory text");
    }
    require(changes.storedCells == model.stored, "cells stored into");
    require(changes.output == model.output, "output");
    if (stop == Stop::Fault) {
        require(!processor.faultMessage().isEmpty(), "a fault carries a message");
        require(processor.faultAddress() == -1 || processor.faultAddress() == model.pc - 1,
                "a fault names the instruction that failed");
    }
    require(reports.size() == model.operandReports.size(), "operand reports");
    for (std::size_t i = 0; i < reports.size(); ++i) {
        require(reports[i].address == model.operandReports[i], "operand report address");
        require(reports[i].line.startsWith(QLatin1String("Error instruction(")) &&
                    reports[i].line.endsWith(QLatin1String(">.\n")),
                "operand error line");
    }
}

void requireNoCellOutside(const Processor &processor)
{
    for (const int address : {-1, machine::kMemorySize, machine::kMemorySize + 1,
                              std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
        require(processor.word(address).isNull(), "no cell outside 0 to 99");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QList<QStringView> lines = QStringView(text).split(u'\n');

    Processor processor;
    Model model;
    std::vector<OperandReport> reports;
    processor.setOperandReport([&reports](qint32 address, const QString &line) {
        reports.push_back({address, line});
    });
    // Writes outside the memory must be ignored.
    for (const int address : {-1, machine::kMemorySize, std::numeric_limits<int>::min(),
                              std::numeric_limits<int>::max()})
        processor.setWord(address, QStringLiteral("0799"));

    qsizetype next = 0;
    for (int address = 0; address < machine::kMemorySize; ++address) {
        QString word = QStringLiteral("00");
        if (next < lines.size() && lines[next] != u"=")
            word = lines[next++].toString();
        processor.setWord(address, word);
        model.memory[size_t(address)] = word;
    }
    if (next < lines.size() && lines[next] == u"=")
        ++next;
    requireNoCellOutside(processor);

    // Slices of 1 to 17 steps, so runs are also resumed at every kind of step.
    const quint64 slice = 1 + size % 17;
    for (;;) {
        const quint64 until = std::min(kStepLimit, processor.executedSteps() + slice);
        const Stop stop = processor.run(until);
        const Stop expected = model.run(until);
        require(stop == expected, "stop");
        const Processor::Changes changes = processor.takeChanges();
        compare(processor, model, changes, reports, stop);
        model.output.clear();
        model.operandReports.clear();
        model.stored.reset();
        reports.clear();

        if (stop == Stop::StepLimit && processor.executedSteps() < kStepLimit)
            continue;
        if (stop != Stop::NeedsInput)
            break;

        bool accepted = false;
        while (!accepted && next < lines.size()) {
            const QStringView typed = lines[next++];
            const machine::TypedInput input = machine::readTypedInput(typed);
            const machine::Decimal number = machine::parseDecimal(typed);
            require(input.kind != machine::TypedInput::Empty || typed.isEmpty(), "empty input");
            require((input.kind == machine::TypedInput::Accepted) ==
                        (!typed.isEmpty() && number.ok()),
                    "typed input taken exactly when it is a 32-bit number");
            if (input.kind == machine::TypedInput::Accepted) {
                require(input.value == number.value, "typed value");
                processor.completeInput(input.value);
                model.accumulator = input.value;
                accepted = true;
            }
        }
        if (!accepted)
            break;
    }
    for (int address = 0; address < machine::kMemorySize; ++address)
        require(processor.word(address) == model.memory[size_t(address)], "memory text at the end");
    requireNoCellOutside(processor);
    return 0;
}
