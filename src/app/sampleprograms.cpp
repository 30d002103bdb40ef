#include "app/sampleprograms.h"

// Fields are separated by tabs and lines by single line feeds; a line that
// defines a label starts with it, every other line starts with a tab. The line
// number of each line is the address its word gets when assembled.
const std::array<QString, sampleProgramCount> &samplePrograms()
{
    static const std::array<QString, sampleProgramCount> programs = {
        // Adding 2 inputs
        QStringLiteral("\tINP\n"
                       "\tSTA\tnum1\n"
                       "\tINP\n"
                       "\tADD\tnum1\n"
                       "\tOUT\n"
                       "\tHLT\n"
                       "num1\tDAT"),
        // Max of 2 inputs (the only one ending with a line feed)
        QStringLiteral("\tINP\n"
                       "\tSTA\tnum1\n"
                       "\tINP\n"
                       "\tSTA\tnum2\n"
                       "\tSUB\tnum1\n"
                       "\tBRP\tpos\n"
                       "\tLDA\tnum1\n"
                       "\tOUT\n"
                       "\tBRA\texit\n"
                       "pos\tLDA\tnum2\n"
                       "\tOUT\n"
                       "exit\tHLT\n"
                       "num1\tDAT\n"
                       "num2\tDAT\n"),
        // Count down timer
        QStringLiteral("\tINP\n"
                       "loop\tOUT\n"
                       "\tSTA\tcount\n"
                       "\tSUB\tone\n"
                       "\tSTA\tcount\n"
                       "\tBRP\tloop\n"
                       "\tHLT\n"
                       "one\tDAT\t1\n"
                       "count\tDAT"),
        // Multiplying 2 inputs (the MUL line separates its operand with a blank)
        QStringLiteral("\tINP\n"
                       "\tSTA\tNUM1\n"
                       "\tINP\n"
                       "\tSTA\tNUM2\n"
                       "\tMUL NUM1\n"
                       "\tOUT\n"
                       "\tHLT\n"
                       "NUM1\tDAT\n"
                       "NUM2\tDAT"),
        // Triangular numbers
        QStringLiteral("loop\tLDA\tnumber\n"
                       "\tADD\tcounter\n"
                       "\tOUT\n"
                       "\tSTA\tnumber\n"
                       "\tLDA\tcounter\n"
                       "\tADD\tone\n"
                       "\tSTA\tcounter\n"
                       "\tLDA\tten\n"
                       "\tSUB\tcounter\n"
                       "\tBRP\tloop\n"
                       "\tHLT\n"
                       "counter\tDAT\t1\n"
                       "number\tDAT\t0\n"
                       "one\tDAT\t1\n"
                       "ten\tDAT\t10"),
        // Factorial, computed by repeated addition
        QStringLiteral("\tINP\n"
                       "\tSTA\tfinal\n"
                       "\tBRZ\toneval\n"
                       "\tSUB\tone\n"
                       "\tSTA\titeration\n"
                       "\tSTA\tcounter\n"
                       "\tLDA\tfinal\n"
                       "\tSTA\tnum\n"
                       "mult\tLDA\titeration\n"
                       "\tBRZ\tend\n"
                       "\tSUB\tone\n"
                       "\tBRZ\tend\n"
                       "\tLDA\tfinal\n"
                       "\tADD\tnum\n"
                       "\tSTA\tfinal\n"
                       "\tLDA\tcounter\n"
                       "\tSUB\tone\n"
                       "\tSTA\tcounter\n"
                       "\tSUB\tone\n"
                       "\tBRZ\tnext\n"
                       "\tBRA\tmult\n"
                       "next\tLDA\tfinal\n"
                       "\tSTA\tnum\n"
                       "\tLDA\titeration\n"
                       "\tSUB\tone\n"
                       "\tSTA\titeration\n"
                       "\tSTA\tcounter\n"
                       "\tSUB\tone\n"
                       "\tBRZ\tend\n"
                       "\tBRA\tmult\n"
                       "end\tLDA\tfinal\n"
                       "\tOUT\n"
                       "\tHLT\n"
                       "oneval\tLDA\tone\n"
                       "\tOUT\n"
                       "\tHLT\n"
                       "final\tDAT\t0\n"
                       "counter\tDAT\t0\n"
                       "one\tDAT\t1\n"
                       "iteration\tDAT\t0\n"
                       "num\tDAT\t0"),
    };
    return programs;
}
