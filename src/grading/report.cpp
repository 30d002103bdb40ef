#include "grading/report.h"

#include "program/filename.h"

namespace grading
{

std::unique_ptr<Report> makeReport(ReportFormat format, const QList<TestCase> &cases,
                                   qsizetype fileCount, std::ostream &output, ReportColumns columns,
                                   bool forStudents, const SimilarFiles *similar)
{
    switch (format) {
    case ReportFormat::Tap:
        break;
    case ReportFormat::Csv:
        return makeCsvReport(cases, output, columns, similar);
    case ReportFormat::Json:
        return makeJsonReport(cases, output, similar);
    case ReportFormat::Junit:
        return makeJunitReport(cases, output, forStudents);
    case ReportFormat::Gradescope:
        return makeGradescopeReport(cases, output);
    }
    return makeTapReport(cases, fileCount, output, forStudents);
}

QString listedName(const FileGrade &grade)
{
    if (grade.student)
        return program::unambiguousName(grade.student->name);
    return grade.path ? program::unambiguousName(*grade.path) : grade.name;
}

const char *onRosterName(Student::OnRoster onRoster)
{
    switch (onRoster) {
    case Student::OnRoster::NoRoster:
        break;
    case Student::OnRoster::Yes:
        return "yes";
    case Student::OnRoster::No:
        return "no";
    case Student::OnRoster::Ambiguous:
        return "ambiguous";
    }
    return "";
}

const char *resultName(const FileGrade &grade)
{
    if (!grade.graded)
        return "error";
    return grade.passed() ? "pass" : "fail";
}

QString failureReason(const CaseResult &result)
{
    return result.ending == CaseResult::Halted ? QStringLiteral("wrong output") : result.reason;
}

const char *endingName(CaseResult::Ending ending)
{
    switch (ending) {
    case CaseResult::Halted:
        break;
    case CaseResult::Error:
        return "error";
    case CaseResult::Stopped:
        return "stopped";
    case CaseResult::Input:
        return "input";
    case CaseResult::Broken:
        return "rule";
    }
    return nullptr;
}

QString valuesText(const QList<qint32> &values, quint64 count)
{
    if (count == 0)
        return QStringLiteral("(none)");
    QStringList texts;
    for (const qint32 value : values)
        texts.append(QString::number(value));
    QString text = texts.join(QLatin1Char(' '));
    if (count > quint64(values.size()))
        text += QStringLiteral(" ... (%1 values in all)").arg(count);
    return text;
}

QString failedLines(const QList<TestCase> &cases, const FileGrade &grade)
{
    QStringList lines;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        if (!grade.graded || !grade.cases[i].passed)
            lines.append(QString::number(cases[i].lineNumber));
    }
    return lines.join(QLatin1Char(' '));
}

QStringList failureDetails(const TestCase &testCase, const FileGrade &grade, qsizetype index)
{
    if (testCase.hidden)
        return {};
    if (!grade.graded)
        return {grade.message};
    const CaseResult &result = grade.cases[index];
    if (testCase.isRule())
        return {result.reason};
    QStringList lines{QLatin1String("typed:    ") +
                          valuesText(testCase.inputs, quint64(testCase.inputs.size())),
                      QLatin1String("expected: ") +
                          valuesText(testCase.expected, quint64(testCase.expected.size())),
                      QLatin1String("output:   ") + valuesText(result.output, result.outputCount),
                      QLatin1String("reason:   ") + failureReason(result)};
    return lines + reportLines(result.notes);
}

QStringList reportLines(const QList<diagnostics::Diagnostic> &diagnostics)
{
    QStringList lines;
    for (const diagnostics::Diagnostic &diagnostic : diagnostics::flattened(diagnostics))
        lines.append(diagnostics::oneLine(diagnostic));
    return lines;
}

} // namespace grading
