#include "grading/report.h"

namespace grading
{

std::unique_ptr<Report> makeReport(ReportFormat format, const QList<TestCase> &cases,
                                   qsizetype fileCount, std::ostream &output)
{
    switch (format) {
    case ReportFormat::Tap:
        break;
    case ReportFormat::Csv:
        return makeCsvReport(cases, output);
    case ReportFormat::Json:
        return makeJsonReport(cases, output);
    case ReportFormat::Junit:
        return makeJunitReport(cases, output);
    }
    return makeTapReport(cases, fileCount, output);
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

QString firstLine(const QString &text)
{
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return end < 0 ? text : text.left(end);
}

} // namespace grading
