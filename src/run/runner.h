#pragma once

// Runs an assembled program on the processor: typed values come from a
// console and output values go to it, as do messages, with the same texts the
// window shows, each about a line of the program starting with "NAME:LINE: ".

#include "cpu/processor.h"
#include "run/console.h"
#include "run/program.h"

#include <QString>

#include <string>

namespace terminal
{

enum ExitStatus : int {
    Halted = 0,
    AssemblyFailed = 1,
    RunFailed = 2,
    StepLimitReached = 3,
    CasesFailed = 5,
    WrongUsage = 64,
    OutputFailed = 74,
};

// How a run ended, and the message that ended it (empty after a halt).
struct Outcome {
    ExitStatus status = Halted;
    QString message;
};

class Runner
{
public:
    // Loads the program's image into memory, the rest of the cells holding
    // the empty word. Both must outlive the runner.
    Runner(const Program &program, Console &console);

    // Writes each executed step to the console's trace, after a header line.
    void setTrace(bool on) { tracing = on; }
    // Runs the program from address 0; maxSteps 0 means no limit.
    Outcome run(quint64 maxSteps);

    const machine::Processor &processor() const { return processor_; }

private:
    Outcome runSteps(quint64 maxSteps);
    machine::Processor::Stop runUntil(quint64 stopAtStep);
    Outcome fail(ExitStatus status, const QString &message);
    void takeOutput();
    void traceStep();

    const Program &program;
    Console &console;
    machine::Processor processor_;
    bool tracing = false;
    // The step being traced: where its word was fetched from, and that word.
    qint32 fetchedAt = 0;
    QString fetchedWord;
    std::string traceLine; // kept, so that its storage serves every step
};

} // namespace terminal
