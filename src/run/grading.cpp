#include "run/grading.h"

#include "run/casecheck.h"
#include "run/cases.h"
#include "run/program.h"
#include "run/report.h"
#include "run/runner.h"

#include <ostream>

namespace terminal
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

} // namespace

int gradePrograms(const Options &options, std::ostream &output, std::ostream &errors)
{
    QList<TestCase> cases;
    QString error;
    if (const int status = readCases(options.casesFile, cases, error); status != Success) {
        tell(output, errors, error);
        return status;
    }

    const qsizetype count = options.programCount();
    const std::unique_ptr<Report> report = makeReport(options.report, cases, count, output);
    int status = Success; // of the last program: the exit status of one
    bool allPassed = true;
    for (qsizetype index = 0; index < count && output; ++index) {
        Program program;
        FileGrade grade;
        status = readProgram(options, index, program, error);
        grade.name = program.name;
        if (status != Success) {
            grade.message = error;
            tell(output, errors, QLatin1String("korvane-run: ") + error);
        } else if (!program.assemble(error)) {
            status = AssemblyFailed;
            grade.message = error.trimmed();
            tell(output, errors, error);
        } else {
            grade.graded = true;
            if (options.warnings) {
                for (const QString &warning : program.warnings())
                    tell(output, errors, warning);
            }
            for (const TestCase &testCase : std::as_const(cases))
                grade.cases.append(checkCase(program, testCase, options.maxSteps));
            status = grade.passed() ? Success : CasesFailed;
        }
        allPassed = allPassed && grade.passed();
        report->add(grade);
    }
    report->finish();
    output.flush();
    if (!output) {
        errors << "Error: cannot write to standard output." << std::endl;
        return OutputFailed;
    }
    if (count == 1)
        return status;
    return allPassed ? Success : CasesFailed;
}

} // namespace terminal
