// CSV as RFC 4180 writes it, for spreadsheets: a header, then one row per
// FILE, each line ending in CRLF. Columns only some runs ask for come last,
// so that a reader of the others finds them where they always are.

#include "grading/report.h"
#include "program/filename.h"

#include <ostream>

namespace grading
{

namespace
{

// A text field. One that holds a comma, a quote, a line end or blanks at its
// ends is quoted, its quotes doubled. A spreadsheet runs a field that starts
// with = + - or @ as a formula; since file names and messages come from the
// files graded, such a field gets a leading ' so that it is shown as text.
// Control characters show as \xNN, as in file names, so that a report shown
// on a terminal cannot drive it.
std::string field(const QString &text)
{
    QString value = program::shownName(text);
    static const QLatin1String formulaStarts{"=+-@"};
    if (!value.isEmpty() && formulaStarts.contains(value.front()))
        value.prepend(QLatin1Char('\''));
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"')) ||
                       value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')) ||
                       value != value.trimmed();
    if (!quote)
        return value.toStdString();
    value.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + value.toStdString() + '"';
}

// A count, empty for none (-1).
std::string countField(qsizetype count)
{
    return count < 0 ? std::string() : std::to_string(count);
}

// The names of the FILEs, separated by "; ": those of another image each
// followed by how many words it differs by, as "b.kasm (1)".
QString namesOf(const SimilarFiles &similar, const QList<qsizetype> &identical,
                const QList<Likeness::Near> &near)
{
    QStringList names;
    for (const qsizetype file : identical)
        names.append(similar.names[file]);
    for (const Likeness::Near &other : near)
        names.append(QStringLiteral("%1 (%2)").arg(similar.names[other.file]).arg(other.distance));
    return names.join(QLatin1String("; "));
}

class CsvReport final : public Report
{
public:
    CsvReport(const QList<TestCase> &cases, std::ostream &output, ReportColumns columns,
              const SimilarFiles *similar)
        : cases(cases), caseCount(cases.size()), output(output), columns(columns), similar(similar)
    {
        if (columns != ReportColumns::Files)
            output << "student,";
        output << "file,passed,failed,total,result,message,score,max_score,failed_cases";
        if (columns == ReportColumns::StudentsWithRoster)
            output << ",id,email,on_roster";
        if (similar)
            output << ",length,group,identical,near";
        output << "\r\n";
    }

    // A FILE that could not be graded fails every case.
    void add(const FileGrade &grade) override
    {
        const qsizetype passed = grade.passedCount();
        if (columns != ReportColumns::Files) // the student, then the file's path
            output << field(listedName(grade)) << ','
                   << field(grade.path ? program::unambiguousName(*grade.path) : QString());
        else
            output << field(listedName(grade));
        output << ',' << passed << ',' << caseCount - passed << ',' << caseCount << ','
               << resultName(grade) << ','
               << (grade.graded ? std::string() : field(grade.message.section(u'\n', 0, 0))) << ','
               << grade.score(cases) << ',' << maxScore(cases) << ','
               << field(failedLines(cases, grade));
        if (columns == ReportColumns::StudentsWithRoster) {
            const Student student = grade.student.value_or(Student());
            output << ',' << field(student.id) << ',' << field(student.email) << ','
                   << onRosterName(student.onRoster);
        }
        if (similar) {
            const Likeness &likeness = similar->files[rows];
            output << ',' << countField(likeness.length) << ','
                   << countField(likeness.group < 0 ? -1 : likeness.group + 1) << ','
                   << field(namesOf(*similar, likeness.identical, {})) << ','
                   << field(namesOf(*similar, {}, likeness.near));
        }
        ++rows;
        output << "\r\n";
        output.flush();
    }

    void finish(const QList<CheckTally> &) override {}

private:
    const QList<TestCase> &cases;
    const qsizetype caseCount;
    std::ostream &output;
    const ReportColumns columns;
    const SimilarFiles *similar; // null: not looked for
    qsizetype rows = 0;          // the FILEs written so far
};

} // namespace

void writeSummary(std::ostream &output, const QList<TestCase> &cases,
                  const QList<CheckTally> &tallies, const SimilarFiles *similar)
{
    output << "line,case,passed,failed,total,ungraded\r\n";
    for (qsizetype i = 0; i < cases.size() && i < tallies.size(); ++i)
        output << cases[i].lineNumber << ',' << field(cases[i].line) << ',' << tallies[i].passed
               << ',' << tallies[i].failed << ',' << tallies[i].passed + tallies[i].failed << ','
               << tallies[i].ungraded << "\r\n";
    if (similar) {
        output << "\r\ngroup,file,length,nearest,distance\r\n";
        for (qsizetype group = 0; group < similar->groups.size(); ++group) {
            for (const qsizetype file : similar->groups[group].files) {
                const Likeness &likeness = similar->files[file];
                const Likeness::Near nearest = likeness.nearest().value_or(Likeness::Near{});
                output << group + 1 << ',' << field(similar->names[file]) << ',' << likeness.length
                       << ',' << field(similar->names[nearest.file]) << ',' << nearest.distance
                       << "\r\n";
            }
        }
    }
    output.flush();
}

std::unique_ptr<Report> makeCsvReport(const QList<TestCase> &cases, std::ostream &output,
                                      ReportColumns columns, const SimilarFiles *similar)
{
    return std::make_unique<CsvReport>(cases, output, columns, similar);
}

} // namespace grading
