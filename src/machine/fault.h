#pragma once

// Why a step failed, as a code with its operands: the window writes it in
// its own words (message()) and the other front ends in theirs.

#include "machine/decimal.h"

#include <QString>
#include <QtGlobal>

namespace machine
{

struct Fault {
    enum Kind : quint8 {
        None,
        ProgramCounterOutside, // number: the program counter
        BadWord,               // word: the cell's word, status: why it is no instruction word
        AddressOutside,        // opcode: the instruction, number: the address it names
        UnknownOpcode, // opcode: the operation code no instruction has, word: the cell's word
    };
    Kind kind = None;
    qint32 number = 0;
    qint32 opcode = 0;
    QString word;
    Decimal::Status status = Decimal::Ok;
};

// The window's text of a fault: "Error: program counter <150> is outside the
// memory (addresses 0 to 99).", "Error in execution <12>.\n", ...
QString message(const Fault &fault);

} // namespace machine
