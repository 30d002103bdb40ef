// One JSON document for scripts:
//   {"passed": FILES THAT PASSED, "total": FILES,
//    "cases_passed": CASES THAT PASSED, "cases_total": CASES OF ALL FILES, "files": [
//     {"file", "path", "result", "passed", "total", "score", "max_score", "message",
//      "errors": [DIAGNOSTIC], "warnings": [DIAGNOSTIC], "cases": [
//       {"line", "kind", "case", "points", "hidden", "passed", "expected", "output",
//        "output_left_out", "reason", "notes": [DIAGNOSTIC]}]}],
//    "summary": [{"line", "case", "passed", "failed", "total", "ungraded"}]}
// In a class graded by folder each entry also names its "student", its
// "file" being the path as shown (null when none was handed in), and with a
// roster gives the student's "id", "email" and "on_roster".
// With --similar each entry also gives its image's "length" (null when it
// did not assemble), its "group" (null for none), the "identical" FILEs
// and the "near" ones [{"file", "distance"}], and the document ends with
// "similar": [{"group", "files": [{"file", "length", "nearest", "distance"}]}],
// the largest group first; a FILE is named there as its entry is.
// Rules count as cases, of kind "forbid" or "max-words". A DIAGNOSTIC is an
// object: kind, severity, line, column, end_column, message, related, fixes.

#include "grading/report.h"
#include "program/filename.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ostream>

namespace grading
{

namespace
{

QLatin1String kindName(TestCase::Kind kind)
{
    switch (kind) {
    case TestCase::Case:
        break;
    case TestCase::Forbid:
        return QLatin1String("forbid");
    case TestCase::MaxWords:
        return QLatin1String("max-words");
    }
    return QLatin1String("case");
}

QJsonArray numbers(const QList<qint32> &values)
{
    QJsonArray array;
    for (const qint32 value : values)
        array.append(value);
    return array;
}

class JsonReport final : public Report
{
public:
    JsonReport(const QList<TestCase> &cases, std::ostream &output, const SimilarFiles *similar)
        : cases(cases), output(output), similar(similar)
    {
    }

    // A FILE that could not be graded fails every case, with its reason.
    void add(const FileGrade &grade) override
    {
        QJsonArray caseResults;
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const TestCase &testCase = cases[i];
            QJsonObject object{{QLatin1String("line"), testCase.lineNumber},
                               {QLatin1String("kind"), kindName(testCase.kind)},
                               {QLatin1String("case"), testCase.line},
                               {QLatin1String("points"), testCase.points},
                               {QLatin1String("hidden"), testCase.hidden},
                               {QLatin1String("expected"), numbers(testCase.expected)}};
            if (grade.graded) {
                const CaseResult &result = grade.cases[i];
                object.insert(QLatin1String("passed"), result.passed);
                object.insert(QLatin1String("output"), numbers(result.output));
                object.insert(QLatin1String("output_left_out"),
                              double(result.outputCount - quint64(result.output.size())));
                object.insert(QLatin1String("reason"), result.passed
                                                           ? QJsonValue(QJsonValue::Null)
                                                           : QJsonValue(failureReason(result)));
                object.insert(QLatin1String("notes"), diagnostics::toJson(result.notes));
            } else {
                object.insert(QLatin1String("passed"), false);
                object.insert(QLatin1String("output"), QJsonArray());
                object.insert(QLatin1String("output_left_out"), 0);
                object.insert(QLatin1String("reason"), grade.message);
                object.insert(QLatin1String("notes"), QJsonArray());
            }
            caseResults.append(object);
        }
        QJsonObject entry{{QLatin1String("file"), grade.name},
                          {QLatin1String("path"),
                           grade.path ? QJsonValue(*grade.path) : QJsonValue(QJsonValue::Null)},
                          {QLatin1String("result"), QLatin1String(resultName(grade))},
                          {QLatin1String("passed"), grade.passedCount()},
                          {QLatin1String("total"), cases.size()},
                          {QLatin1String("score"), grade.score(cases)},
                          {QLatin1String("max_score"), maxScore(cases)},
                          {QLatin1String("message"),
                           grade.graded ? QJsonValue(QJsonValue::Null) : QJsonValue(grade.message)},
                          {QLatin1String("errors"), diagnostics::toJson(grade.errors)},
                          {QLatin1String("warnings"), diagnostics::toJson(grade.warnings)},
                          {QLatin1String("cases"), caseResults}};
        if (grade.student)
            addStudent(entry, grade);
        if (similar)
            addLikeness(entry, similar->files[files.size()]);
        files.append(entry);
        if (grade.passed())
            ++filesPassed;
        casesPassed += grade.passedCount();
        casesTotal += cases.size();
    }

    void finish(const QList<CheckTally> &tallies) override
    {
        QJsonArray summary;
        for (qsizetype i = 0; i < cases.size() && i < tallies.size(); ++i)
            summary.append(
                QJsonObject{{QLatin1String("line"), cases[i].lineNumber},
                            {QLatin1String("case"), cases[i].line},
                            {QLatin1String("passed"), tallies[i].passed},
                            {QLatin1String("failed"), tallies[i].failed},
                            {QLatin1String("total"), tallies[i].passed + tallies[i].failed},
                            {QLatin1String("ungraded"), tallies[i].ungraded}});
        QJsonObject root{{QLatin1String("passed"), filesPassed},
                         {QLatin1String("total"), files.size()},
                         {QLatin1String("cases_passed"), casesPassed},
                         {QLatin1String("cases_total"), casesTotal},
                         {QLatin1String("files"), files},
                         {QLatin1String("summary"), summary}};
        if (similar)
            root.insert(QLatin1String("similar"), groups());
        const QByteArray text = QJsonDocument(root).toJson(QJsonDocument::Indented);
        output.write(text.constData(), text.size());
        output.flush();
    }

private:
    static void addStudent(QJsonObject &entry, const FileGrade &grade)
    {
        const Student &student = *grade.student;
        entry.insert(QLatin1String("student"), student.name);
        entry.insert(QLatin1String("file"), grade.path ? QJsonValue(program::shownName(*grade.path))
                                                       : QJsonValue(QJsonValue::Null));
        if (student.onRoster == Student::OnRoster::NoRoster)
            return;
        entry.insert(QLatin1String("id"), student.id);
        entry.insert(QLatin1String("email"), student.email);
        entry.insert(QLatin1String("on_roster"), QLatin1String(onRosterName(student.onRoster)));
    }

    // A count, null for none (-1).
    static QJsonValue count(qsizetype value)
    {
        return value < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(value);
    }

    void addLikeness(QJsonObject &entry, const Likeness &likeness) const
    {
        QJsonArray identical;
        for (const qsizetype file : likeness.identical)
            identical.append(similar->keys[file]);
        QJsonArray near;
        for (const Likeness::Near &other : likeness.near)
            near.append(QJsonObject{{QLatin1String("file"), similar->keys[other.file]},
                                    {QLatin1String("distance"), other.distance}});
        entry.insert(QLatin1String("length"), count(likeness.length));
        entry.insert(QLatin1String("group"), count(likeness.group < 0 ? -1 : likeness.group + 1));
        entry.insert(QLatin1String("identical"), identical);
        entry.insert(QLatin1String("near"), near);
    }

    QJsonArray groups() const
    {
        QJsonArray groups;
        for (qsizetype group = 0; group < similar->groups.size(); ++group) {
            QJsonArray members;
            for (const qsizetype file : similar->groups[group].files) {
                const Likeness &likeness = similar->files[file];
                const Likeness::Near nearest = likeness.nearest().value_or(Likeness::Near{});
                members.append(QJsonObject{{QLatin1String("file"), similar->keys[file]},
                                           {QLatin1String("length"), likeness.length},
                                           {QLatin1String("nearest"), similar->keys[nearest.file]},
                                           {QLatin1String("distance"), nearest.distance}});
            }
            groups.append(QJsonObject{{QLatin1String("group"), group + 1},
                                      {QLatin1String("files"), members}});
        }
        return groups;
    }

    const QList<TestCase> &cases;
    std::ostream &output;
    const SimilarFiles *similar; // null: not looked for
    QJsonArray files;
    qsizetype filesPassed = 0;
    qsizetype casesPassed = 0;
    qsizetype casesTotal = 0;
};

} // namespace

std::unique_ptr<Report> makeJsonReport(const QList<TestCase> &cases, std::ostream &output,
                                       const SimilarFiles *similar)
{
    return std::make_unique<JsonReport>(cases, output, similar);
}

} // namespace grading
