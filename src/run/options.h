#pragma once

// The command line of korvane-run and the program text it names.

#include "cpu/runloop.h"
#include "run/program.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace terminal
{

inline constexpr quint64 kDefaultMaxSteps = machine::kLongRunSteps;

struct Options {
    enum class Action : quint8 {
        Run,         // assemble and run the program
        Assemble,    // assemble and print the memory image
        Listing,     // assemble and print each line with its address and word
        Test,        // assemble and run each case of casesFile
        ShowHelp,    // text holds the help
        ShowVersion, // text holds the version line
        Refuse,      // wrong usage; text holds the one-line reason
    };
    Action action = Action::Run;
    QString programFile;                 // empty when a sample is used
    int sample = -1;                     // built-in sample index, or -1
    QString casesFile;                   // for Test
    quint64 maxSteps = kDefaultMaxSteps; // 0: no limit
    bool showMemory = false;
    bool trace = false;
    bool warnings = true; // warnings about a program that assembled, on standard error
    QString text;
};

// arguments[0] is the program name, as in QCoreApplication::arguments().
Options parseOptions(const QStringList &arguments);

// The program to assemble: the file read as UTF-8 (a leading byte order mark
// dropped) and named as given, or the sample's text named "sample N".
// Returns false with a one-line reason when the file cannot be used.
bool readProgram(const Options &options, Program &program, QString &error);

} // namespace terminal
