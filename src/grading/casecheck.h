#pragma once

// --test: checks a program against each rule and runs it once per case,
// each run from the freshly loaded image, and keeps what a report needs to
// tell how each one went.

#include "diagnostics/diagnostic.h"
#include "grading/cases.h"
#include "grading/student.h"
#include "program/program.h"

#include <QList>
#include <QString>

#include <optional>

namespace grading
{

// A cell that a run executed, and the instruction its word ran as.
struct RanCell {
    qint32 address = 0;
    qint32 opcode = 0;
};

struct CaseResult {
    // How the run ended: halted, or why it did not.
    enum Ending : quint8 {
        Halted,
        Error,   // a run error: reason holds the message with its location
        Stopped, // the step or time limit: reason holds its message
        Input,   // the program asked for more values than the case gives: reason says so
        Broken,  // a rule: the program breaks it, and reason says where
    };
    Ending ending = Halted; // Halted too for a rule that is kept
    bool passed = false;
    QList<qint32> output;    // the values put out, up to 20 beyond the expected ones
    quint64 outputCount = 0; // every value put out, kept or not
    QString reason;          // empty when the run halted
    // After a run error or at the step limit, the notes that help to read it.
    QList<diagnostics::Diagnostic> notes;
    // Each cell the run executed as each instruction, in the order first run;
    // kept only when a forbid: rule needs them.
    QList<RanCell> ran;
};

// Runs each case from the program's image, with the case's own step limit
// or else `maxSteps`, and the case's own time limit or else `timeLimit` (0
// means no limit; a run stopped at either ends Stopped), and checks each
// rule against the text and those runs: a forbidden instruction is used when a line names
// it, or when a cell that a run executed ran as it. One result per check,
// in order.
QList<CaseResult> checkProgram(const program::Program &program, const QList<TestCase> &checks,
                               quint64 maxSteps, TimeLimit timeLimit = TimeLimit(0));

// How one program fared with every case, or why it could not be graded.
struct FileGrade {
    QString name;                   // the FILE as shownName() shows it, or "sample N"
    std::optional<QString> path;    // the FILE's exact name; none for a sample
    std::optional<Student> student; // whom it belongs to, in a class graded by folder
    bool graded = false;            // false: the file could not be read or assembled
    QString message;         // why not graded: the reason, or the assembly error with its notes
    QList<CaseResult> cases; // one per case, in order, when graded
    // The warnings about a program that assembled; none when they are not wanted.
    QList<diagnostics::Diagnostic> warnings;
    // Why a program did not assemble: its errors, each followed by its notes.
    QList<diagnostics::Diagnostic> errors;

    qsizetype passedCount() const;
    bool passed() const { return graded && passedCount() == cases.size(); }
    // The points of the rules and cases passed.
    qint64 score(const QList<TestCase> &checks) const;
};

// The points of every rule and case.
qint64 maxScore(const QList<TestCase> &checks);

// How many FILEs of a class passed one rule or case, and how many failed it,
// of which how many failed it because they could not be graded.
struct CheckTally {
    qsizetype passed = 0;
    qsizetype failed = 0;
    qsizetype ungraded = 0;
};

} // namespace grading
