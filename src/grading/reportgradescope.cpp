// Gradescope's results.json, for one FILE graded by an autograder: what the
// student sees. A hidden case shows as its line and whether it passed, and
// only once the grades are published, with its hint when it failed; never its
// values, the output expected or put out, nor a note that could quote them.
//   {"score", "max_score", "output", "tests": [
//     {"name", "score", "max_score", "status", "output", "visibility"}]}

#include "grading/report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

namespace grading
{

namespace
{

class GradescopeReport final : public Report
{
public:
    GradescopeReport(const QList<TestCase> &cases, std::ostream &output)
        : cases(cases), output(output)
    {
    }

    void add(const FileGrade &grade) override
    {
        QJsonArray tests;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const TestCase &check = cases[i];
            const bool passed = grade.graded && grade.cases[i].passed;
            QJsonObject test{{QLatin1String("name"), check.title(true)},
                             {QLatin1String("score"), passed ? check.points : 0},
                             {QLatin1String("max_score"), check.points},
                             {QLatin1String("status"),
                              passed ? QLatin1String("passed") : QLatin1String("failed")},
                             {QLatin1String("visibility"), check.hidden
                                                               ? QLatin1String("after_published")
                                                               : QLatin1String("visible")}};
            QStringList shown;
            if (!passed && !check.hidden)
                shown = failureDetails(check, grade, i);
            if (!passed && grade.graded && !check.hint.isEmpty())
                shown.append(QLatin1String("hint:     ") + check.hint);
            if (!shown.isEmpty())
                test.insert(QLatin1String("output"), shown.join(QLatin1Char('\n')));
            tests.append(test);
        }
        result = QJsonObject{
            {QLatin1String("score"), grade.score(cases)},
            {QLatin1String("max_score"), maxScore(cases)},
            {QLatin1String("output"),
             grade.graded ? reportLines(grade.warnings).join(QLatin1Char('\n')) : grade.message},
            {QLatin1String("tests"), tests}};
    }

    void finish(const QList<CheckTally> &) override
    {
        const QByteArray text = QJsonDocument(result).toJson(QJsonDocument::Indented);
        output.write(text.constData(), text.size());
        output.flush();
    }

private:
    const QList<TestCase> &cases;
    std::ostream &output;
    QJsonObject result;
};

} // namespace

std::unique_ptr<Report> makeGradescopeReport(const QList<TestCase> &cases, std::ostream &output)
{
    return std::make_unique<GradescopeReport>(cases, output);
}

} // namespace grading
