#pragma once

// Runs of korvane-run written down as data: the files to give it, the command
// line, what to type, and the exit status and exact texts expected.
//
// A scenario file holds any number of scenarios:
//
//   == TITLE                      starts a scenario
//   $ korvane-run ARGUMENTS       split like a shell's words; "<source>" is the
//                                 project's folder; ">/dev/full" sends standard
//                                 output there; "2>&1" puts both streams into
//                                 one, compared as stdout
//   --- file [OPTIONS] NAME       a file written before the run, in a fresh
//                                 folder that is also the working directory
//   --- stdin [OPTIONS]           what is typed
//   --- status N                  the exit status expected (0 when left out)
//   --- stdout [OPTIONS]          standard output expected (empty when left out)
//   --- stderr [OPTIONS]          standard error expected (empty when left out)
//   --- fails N [OPTIONS]         the exit status N, with the section's text as
//                                 the standard error expected
//
// A section holds the lines up to the next line starting with "== ", "$ " or
// "--- ", each ending in a line feed; blank lines at its end only separate it
// from the next (write a final empty line with -e and \n). Options: -n drops the last line feed;
// -e reads \t \r \n \\ and \xHH as the characters they name; -pad N fills the
// text with line feeds up to N bytes. Outside sections, lines starting with
// "#" and blank lines are comments.

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

struct Scenario {
    QString title;
    QString origin; // "FILE:LINE" of the title, for failure messages
    QStringList arguments;
    QList<QPair<QString, QByteArray>> files;
    QByteArray input;
    int status = 0;
    QByteArray out;
    QByteArray err;
    bool toFull = false;
    bool merged = false;
};

// The scenarios of one file; on a malformed file, one scenario whose title
// says what is wrong and whose origin names the line.
QList<Scenario> readScenarios(const QString &path);

Q_DECLARE_METATYPE(Scenario)
