#pragma once

// The report of --test in the format chosen with --report: TAP for test
// harnesses, CSV for spreadsheets, JSON for scripts, JUnit XML for CI servers.
// Each names every FILE in the order given and agrees with the others on
// which FILEs passed, failed or could not be graded.

#include "grading/casecheck.h"
#include "grading/cases.h"
#include "grading/grading.h"
#include "grading/similarity.h"

#include <QList>
#include <QString>

#include <iosfwd>
#include <memory>

namespace grading
{

// The FILEs that look copied, for CSV, JSON and the summary, with the name
// each of them gives every FILE.
struct SimilarFiles : Similarities {
    QStringList names; // as CSV and the summary list the FILEs (listedName())
    QStringList keys;  // as JSON names them: the student, or the FILE as shown
};

class Report
{
public:
    virtual ~Report() = default;
    // One FILE's grade, in the order given; a format writes it at once or keeps it.
    virtual void add(const FileGrade &grade) = 0;
    // Writes what is left, after the last FILE, with how the class fared
    // with each rule and case.
    virtual void finish(const QList<CheckTally> &tallies) = 0;
};

// The report of `fileCount` FILEs (at least one) graded with `cases`, written
// to `output`. The cases and the stream must outlive it. A report of one FILE
// is that FILE's alone; TAP then says only how its cases went.
// CSV and JSON add the student's columns as `columns` asks, and with
// `similar` each FILE's likeness to the others (filled in before the first
// FILE is added). For students, TAP and JUnit show a hidden case only as its
// line, whether it passed and its hint.
std::unique_ptr<Report> makeReport(ReportFormat format, const QList<TestCase> &cases,
                                   qsizetype fileCount, std::ostream &output,
                                   ReportColumns columns = ReportColumns::Files,
                                   bool forStudents = false, const SimilarFiles *similar = nullptr);

std::unique_ptr<Report> makeTapReport(const QList<TestCase> &cases, qsizetype fileCount,
                                      std::ostream &output, bool forStudents);
std::unique_ptr<Report> makeCsvReport(const QList<TestCase> &cases, std::ostream &output,
                                      ReportColumns columns, const SimilarFiles *similar);
std::unique_ptr<Report> makeJsonReport(const QList<TestCase> &cases, std::ostream &output,
                                       const SimilarFiles *similar);
std::unique_ptr<Report> makeJunitReport(const QList<TestCase> &cases, std::ostream &output,
                                        bool forStudents);
std::unique_ptr<Report> makeGradescopeReport(const QList<TestCase> &cases, std::ostream &output);

// The summary of a class as CSV: a row per rule and case, with its line in
// the cases file, the case as written, how many FILEs passed it, failed it,
// and were given in all, and how many of those that failed it could not be
// graded. With `similar`, then an empty line and a second table: a row per
// FILE of each group that looks copied, the largest group first.
void writeSummary(std::ostream &output, const QList<TestCase> &cases,
                  const QList<CheckTally> &tallies, const SimilarFiles *similar = nullptr);

// What the formats share.

// The FILE as TAP, CSV, JUnit and feedback list it: as shown, each backslash
// of its name doubled, so that two FILEs are never listed alike; in a class
// graded by folder, the student.
QString listedName(const FileGrade &grade);

// "pass" (every case passed), "fail" (a case failed) or "error" (not graded).
const char *resultName(const FileGrade &grade);
// Why a failing case failed: how its run ended, or, when it halted, "wrong output".
QString failureReason(const CaseResult &result);
// The name of how a run that did not halt ended: "error", "stopped" or
// "input", or "rule" for a rule broken; null for a run that halted.
const char *endingName(CaseResult::Ending ending);
// The values separated by blanks, or "(none)", with the count of all when
// `count` is more than were kept: "1 2 3 ... (49 values in all)".
QString valuesText(const QList<qint32> &values, quint64 count);
// The lines of the failed rules and cases in the cases file, separated by
// blanks; all of them for a FILE that could not be graded.
QString failedLines(const QList<TestCase> &cases, const FileGrade &grade);
// What a student may read of why a rule or case failed: how it ended, the
// values typed, expected and put out, and the notes on the run, a line
// each; nothing of a hidden case.
QStringList failureDetails(const TestCase &testCase, const FileGrade &grade, qsizetype index);
// Each diagnostic on a line of its own, as a report gives it:
// "LINE:COLUMN: severity: text", or "severity: text" about the whole program.
QStringList reportLines(const QList<diagnostics::Diagnostic> &diagnostics);

} // namespace grading
