#pragma once

// Grading a class: each submitted program is run once per case of one cases
// file, each run from its freshly assembled image, and one report in the
// format chosen tells how every program fared. Several programs may be
// graded at once; what is written is the same as one at a time.

#include "grading/timelimit.h"

#include "grading/student.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <iosfwd>
#include <optional>

namespace grading
{

// The format of the report.
enum class ReportFormat : quint8 { Tap, Csv, Json, Junit, Gradescope };

// What a report names each row by: the FILE, or the student, with the
// roster's columns when a roster was given.
enum class ReportColumns : quint8 { Files, Students, StudentsWithRoster };

// One program to grade: the file at `path`, or the text given (a built-in sample).
struct Submission {
    QString name; // how the report and the messages name it
    QString path;
    std::optional<QString> text;
    // When it differs from `path`, the path to open: the file through the
    // class folder's real path, `path` being as the teacher wrote it.
    QString source;
    std::optional<Student> student; // in a class graded by folder
    QString reason;                 // why it cannot be graded, found before reading it; empty: none
};

struct Job {
    QString casesFile;
    QList<Submission> submissions; // at least one
    ReportFormat format = ReportFormat::Tap;
    ReportColumns columns = ReportColumns::Files;
    quint64 maxSteps = 0;   // for each run; 0: no limit
    TimeLimit timeLimit{0}; // for each run; 0: no limit
    qsizetype threads = 1;  // how many submissions are graded at once
    bool warnings = true;   // tell the warnings about each program that assembles
    QString feedbackFolder; // where to write a feedback file per submission; empty: none
    QString summaryFile;    // where to write how the class fared with each check; empty: none
    // When set, finds the submissions once the cases are read, given the
    // pattern of the cases file's pick: line (empty without one); false
    // when there are none to grade, having told why.
    std::function<bool(const QString &pick, QList<Submission> &submissions)> findSubmissions;
    // TAP and JUnit: hidden cases as students may see them.
    bool studentView = false;
    // The most steps of a replay page beside the feedback, per failing case
    // shown to students; 0: no pages.
    quint64 replaySteps = 0;
    // CSV, JSON and the summary: the FILEs whose images are the same or
    // differ by at most this many words; none: not looked for.
    std::optional<qsizetype> similar;
};

// How grading ended, as far as the exit status needs to know.
enum class Outcome : quint8 {
    AllPassed,        // every submission passed every case
    SomeFailed,       // a case failed, or a submission could not be graded
    CasesUnusable,    // the cases file is malformed, not text or holds no case: nothing graded
    CasesCannotRead,  // the cases file cannot be opened: nothing graded
    NothingToGrade,   // findSubmissions found none: nothing graded
    CannotCreate,     // the feedback folder, a feedback file or the summary cannot be written
    ReportNotWritten, // the report could not be written
};

// Reads the cases, then grades the submissions and writes the report to
// `report` in their order; why a submission could not be graded, and the
// warnings about one that assembled, go to `errors` in the same order.
Outcome gradeClass(const Job &job, std::ostream &report, std::ostream &errors);

} // namespace grading
