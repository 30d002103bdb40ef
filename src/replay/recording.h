#pragma once

// One run of a program as a replay page shows it: the program, the first
// steps of the run as the processor reported them, and how the run ended in
// korvane-run's words.

#include "machine/processor.h"
#include "machine/runloop.h"
#include "program/program.h"

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace replay
{

// By default a page holds this many steps: about 1 MiB, ready in well under a second.
inline constexpr quint64 kDefaultSteps = 10'000;
// The most steps a page can be asked to hold; pages larger than some 100 MiB
// are more than a browser opens comfortably.
inline constexpr quint64 kMostSteps = 1'000'000;

struct Recording {
    program::Program program; // assembled
    quint64 stepLimit = kDefaultSteps;
    // The first steps of the run, at most stepLimit of them, step 1 first.
    std::vector<machine::Step> steps;
    // What the processor reported about an instruction whose operand was no
    // number, by the number of its step.
    std::map<quint64, QString> operandReports;
    quint64 completedSteps = 0; // every step the run completed, recorded or not
    machine::RunEnd::Kind end = machine::RunEnd::Halted; // Stopped: its output not written
    QStringList report; // the error and notes on how the run ended, one line each
};

} // namespace replay
