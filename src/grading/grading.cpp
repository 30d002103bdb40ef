#include "grading/grading.h"

#include "grading/casecheck.h"
#include "grading/cases.h"
#include "grading/report.h"
#include "program/program.h"
#include "program/textfile.h"

#include <algorithm>
#include <ostream>

namespace grading
{

namespace
{

// A message in its own line on `errors`, after the report written so far.
void tell(std::ostream &output, std::ostream &errors, const QString &text)
{
    output.flush();
    errors << text.toStdString();
    if (!text.endsWith(QLatin1Char('\n')))
        errors << '\n';
    errors.flush();
}

// A text of nothing but blanks, tabs and line ends.
bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
    });
}

// The program's text, or false with why it cannot be graded. A submitted file
// is read only when it is a regular file named directly, never through a
// link or from a pipe: a grader must not show or wait on what was not handed in.
bool readSubmission(const Submission &submission, korvane::Program &program, QString &error)
{
    program.name = submission.name;
    if (submission.text) {
        program.text = *submission.text;
        return true;
    }
    if (korvane::readTextFile(submission.path, QStringLiteral("a program"), program.text, error,
                              korvane::Opening::RegularOnly) != korvane::FileTrouble::None) {
        return false;
    }
    if (isBlank(program.text)) {
        error = program.name + QLatin1String(": the file is empty.");
        return false;
    }
    return true;
}

} // namespace

Outcome gradeClass(const Job &job, std::ostream &output, std::ostream &errors)
{
    QList<TestCase> cases;
    QString error;
    if (const CasesTrouble trouble = readCases(job.casesFile, cases, error);
        trouble != CasesTrouble::None) {
        tell(output, errors, error);
        return trouble == CasesTrouble::CannotRead ? Outcome::CasesCannotRead
                                                   : Outcome::CasesUnusable;
    }

    const std::unique_ptr<Report> report =
        makeReport(job.format, cases, job.submissions.size(), output);
    bool allPassed = true;
    for (const Submission &submission : job.submissions) {
        if (!output)
            break;
        korvane::Program program;
        FileGrade grade;
        grade.name = submission.name;
        if (!readSubmission(submission, program, error)) {
            grade.message = error.trimmed();
            tell(output, errors, QLatin1String("korvane-run: ") + grade.message);
        } else if (!program.assemble(error)) {
            grade.message = error.trimmed();
            tell(output, errors, grade.message);
        } else {
            grade.graded = true;
            if (job.warnings) {
                for (const QString &warning : program.warnings())
                    tell(output, errors, warning);
                grade.warnings = program.warnings(korvane::Form::Report);
            }
            for (const TestCase &testCase : std::as_const(cases))
                grade.cases.append(checkCase(program, testCase, job.maxSteps));
        }
        allPassed = allPassed && grade.passed();
        report->add(grade);
    }
    report->finish();
    output.flush();
    if (!output) {
        errors << "Error: cannot write to standard output." << std::endl;
        return Outcome::ReportNotWritten;
    }
    return allPassed ? Outcome::AllPassed : Outcome::SomeFailed;
}

} // namespace grading
