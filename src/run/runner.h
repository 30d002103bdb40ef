#pragma once

// Drives the processor from a terminal: typed values come from an input
// stream, one per line, and OUT values go to an output stream, one per line.
// Messages go to the error stream with the same texts the window shows.

#include "cpu/processor.h"

#include <QString>
#include <QStringList>

#include <iosfwd>
#include <string>

namespace terminal
{

enum ExitStatus : int {
    Halted = 0,
    AssemblyFailed = 1,
    RunFailed = 2,
    StepLimitReached = 3,
    WrongUsage = 64,
    OutputFailed = 74,
};

class Runner
{
public:
    Runner(std::istream &input, std::ostream &output, std::ostream &errors);

    // Assembles the source and loads the image into memory, the rest of the
    // cells holding the empty word. Reports the assembler's message and
    // returns false when the source does not assemble.
    bool load(const QString &source);
    bool loaded() const { return loaded_; }

    // Writes the memory image, one word per line.
    ExitStatus printImage();
    // Runs the loaded program from address 0; maxSteps 0 means no limit.
    ExitStatus run(quint64 maxSteps);
    // Writes the 100 cell texts to the error stream, 10 per line.
    void printMemory();

private:
    ExitStatus runSteps(quint64 maxSteps);
    bool readInput();
    void takeOutput();
    bool writeOutput();
    void report(const QString &message);

    machine::Processor processor;
    QStringList image;
    bool loaded_ = false;
    bool outputFailed = false;
    std::string pending; // output lines not yet written
    std::istream &input;
    std::ostream &output;
    std::ostream &errors;
};

} // namespace terminal
