#pragma once

// The command line of korvane-run and the program text it names.

#include "grading/grading.h"
#include "machine/runloop.h"
#include "program/exitstatus.h"
#include "program/program.h"
#include "replay/recording.h"
#include "run/traceformat.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace run
{

inline constexpr quint64 kDefaultMaxSteps = machine::kLongRunSteps;

// What --assemble writes for tools in place of the image: the diagnostics of
// each FILE as JSON, or as a SARIF 2.1.0 log.
enum class DiagnosticsFormat : quint8 { None, Json, Sarif };

struct Options {
    enum class Action : quint8 {
        Run,         // assemble and run the program
        Assemble,    // assemble and print the memory image
        Listing,     // assemble and print each line with its address and word
        Test,        // assemble each program and run each case of casesFile
        ShowHelp,    // text holds the help
        ShowVersion, // text holds the version line
        Refuse,      // wrong usage; text holds the one-line reason
    };
    Action action = Action::Run;
    // as given: one, several with Test or a diagnosticsFormat, none for a sample
    QStringList programFiles;
    int sample = -1;                                           // built-in sample index, or -1
    QString casesFile;                                         // for Test
    grading::ReportFormat report = grading::ReportFormat::Tap; // for Test
    QString feedbackFolder;                                    // for Test; empty: none
    QString summaryFile;                                       // for Test; empty: none
    QString classFolder; // for Test: a folder per student, in place of FILEs; empty: none
    QString pick;        // with classFolder: the file to grade in each folder; empty: default
    QString roster;      // with classFolder: the class's roster; empty: none
    quint64 maxSteps = kDefaultMaxSteps; // 0: no limit
    grading::TimeLimit timeLimit{0};     // for Test; 0: no limit
    qsizetype jobs = 0;                  // for Test: FILEs graded at once; 0: one per usable core
    bool showMemory = false;
    QString replayPage;                          // the page to write; empty: none
    quint64 replaySteps = replay::kDefaultSteps; // the most steps a page holds
    bool replays = true; // with feedbackFolder: replay pages of the failing cases
    bool trace = false;
    TraceFormat traceFormat = TraceFormat::Text;
    bool warnings = true; // warnings about a program that assembled, on standard error
    bool excerpts = true; // each diagnostic followed by its source line and a marker
    DiagnosticsFormat diagnosticsFormat = DiagnosticsFormat::None; // for Assemble
    QString text;
    // For Test: TAP and JUnit that students may read.
    bool studentView = false;
    // For Test: the FILEs that look copied, in CSV, JSON and the summary:
    // images that differ by at most this many words; none: not looked for.
    std::optional<qsizetype> similar;

    // The programs named: the FILEs, or the one sample (none for a class folder).
    qsizetype programCount() const { return sample >= 0 ? 1 : programFiles.size(); }
};

// arguments[0] is the program name, as in QCoreApplication::arguments().
Options parseOptions(const QStringList &arguments);

// Program `index` (from 0 to programCount() - 1) to assemble: its file read
// as UTF-8 (a leading byte order mark dropped) and named as given, or the
// sample's text named "sample N". Returns Success, or the exit status for a
// file that cannot be used (ProgramNotText, FileCannotRead) with a one-line
// reason. A file that is not UTF-8 also gets the error at its first bad byte
// in `program.errors`, and its text read with each bad sequence as U+FFFD.
program::ExitStatus readProgram(const Options &options, qsizetype index, program::Program &program,
                                QString &error);

} // namespace run
