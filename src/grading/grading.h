#pragma once

// Grading a class: each submitted program is run once per case of one cases
// file, each run from its freshly assembled image, and one report in the
// format chosen tells how every program fared.

#include <QList>
#include <QString>
#include <QtGlobal>

#include <iosfwd>
#include <optional>

namespace grading
{

// The format of the report.
enum class ReportFormat : quint8 { Tap, Csv, Json, Junit, Gradescope };

// One program to grade: the file at `path`, or the text given (a built-in sample).
struct Submission {
    QString name; // how the report and the messages name it
    QString path;
    std::optional<QString> text;
};

struct Job {
    QString casesFile;
    QList<Submission> submissions; // at least one
    ReportFormat format = ReportFormat::Tap;
    quint64 maxSteps = 0;   // for each run; 0: no limit
    bool warnings = true;   // tell the warnings about each program that assembles
    QString feedbackFolder; // where to write a feedback file per submission; empty: none
    QString summaryFile;    // where to write how the class fared with each check; empty: none
    // The most steps of a replay page beside the feedback, per failing case
    // shown to students; 0: no pages.
    quint64 replaySteps = 0;
};

// How grading ended, as far as the exit status needs to know.
enum class Outcome : quint8 {
    AllPassed,        // every submission passed every case
    SomeFailed,       // a case failed, or a submission could not be graded
    CasesUnusable,    // the cases file is malformed, not text or holds no case: nothing graded
    CasesCannotRead,  // the cases file cannot be opened: nothing graded
    CannotCreate,     // the feedback folder, a feedback file or the summary cannot be written
    ReportNotWritten, // the report could not be written
};

// Reads the cases, then grades each submission in order and writes the
// report to `report`; why a submission could not be graded, and the warnings
// about one that assembled, go to `errors`.
Outcome gradeClass(const Job &job, std::ostream &report, std::ostream &errors);

} // namespace grading
