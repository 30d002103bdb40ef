// JUnit XML, as CI servers and classroom autograders read it: a test suite
// per FILE and a test case per case, named after its line in the cases file
// so that repeated cases stay apart. A failing case has a <failure> whose
// text gives the values expected and put out, and the notes on how the run
// ended; each case of a FILE that could not be graded has an <error> that
// says why. A FILE's warnings are its suite's <system-err>.

#include "grading/report.h"

#include <QXmlStreamWriter>

#include <ostream>
#include <utility>

namespace grading
{

namespace
{

// XML 1.0 allows no control character but tab, line feed and carriage
// return, and neither U+FFFE nor U+FFFF, not even as a character reference;
// those show as U+FFFD.
QString xmlText(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != '\t' && code != '\n' && code != '\r') || code == 0xfffe ||
            code == 0xffff)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

// How a run that did not halt ended, on a line of its own after the values,
// its reason in the column of theirs: "stopped:  Error: ...".
QString reasonLine(const CaseResult &result)
{
    const char *name = endingName(result.ending);
    if (!name)
        return {};
    return QLatin1Char('\n') + (QLatin1String(name) + QLatin1Char(':')).leftJustified(10) +
           result.reason;
}

class JunitReport final : public Report
{
public:
    JunitReport(const QList<TestCase> &cases, std::ostream &output, bool forStudents)
        : cases(cases), output(output), forStudents(forStudents)
    {
    }

    // The counts of every FILE go into the first element, so the grades are
    // kept until the last.
    void add(const FileGrade &grade) override { grades.append(grade); }

    void finish(const QList<CheckTally> &) override
    {
        qsizetype failures = 0;
        qsizetype errors = 0;
        for (const FileGrade &grade : std::as_const(grades)) {
            failures += grade.graded ? cases.size() - grade.passedCount() : 0;
            errors += grade.graded ? 0 : cases.size();
        }
        const qsizetype tests = cases.size() * grades.size();

        QByteArray text;
        QXmlStreamWriter xml(&text);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(QLatin1String("testsuites"));
        xml.writeAttribute(QLatin1String("name"), QLatin1String("korvane-run --test"));
        writeCounts(xml, tests, failures, errors);
        for (const FileGrade &grade : std::as_const(grades))
            writeSuite(xml, grade);
        xml.writeEndElement();
        xml.writeEndDocument();
        output.write(text.constData(), text.size());
        output.flush();
    }

private:
    static void writeCounts(QXmlStreamWriter &xml, qsizetype tests, qsizetype failures,
                            qsizetype errors)
    {
        xml.writeAttribute(QLatin1String("tests"), QString::number(tests));
        xml.writeAttribute(QLatin1String("failures"), QString::number(failures));
        xml.writeAttribute(QLatin1String("errors"), QString::number(errors));
    }

    void writeSuite(QXmlStreamWriter &xml, const FileGrade &grade) const
    {
        const QString name = xmlText(listedName(grade));
        xml.writeStartElement(QLatin1String("testsuite"));
        xml.writeAttribute(QLatin1String("name"), name);
        if (grade.graded)
            writeCounts(xml, cases.size(), cases.size() - grade.passedCount(), 0);
        else
            writeCounts(xml, cases.size(), 0, cases.size());
        xml.writeStartElement(QLatin1String("properties"));
        for (const auto &[name, value] :
             {std::pair{"score", grade.score(cases)}, std::pair{"max_score", maxScore(cases)}}) {
            xml.writeStartElement(QLatin1String("property"));
            xml.writeAttribute(QLatin1String("name"), QLatin1String(name));
            xml.writeAttribute(QLatin1String("value"), QString::number(value));
            xml.writeEndElement();
        }
        xml.writeEndElement();
        for (qsizetype i = 0; i < cases.size(); ++i) {
            xml.writeStartElement(QLatin1String("testcase"));
            xml.writeAttribute(QLatin1String("classname"), name);
            const bool whole = !(forStudents && cases[i].hidden);
            xml.writeAttribute(QLatin1String("name"), xmlText(cases[i].title(!whole)));
            if (!whole && grade.graded && !grade.cases[i].passed) {
                xml.writeStartElement(QLatin1String("failure"));
                xml.writeAttribute(QLatin1String("message"), QLatin1String("failed"));
                xml.writeCharacters(xmlText(cases[i].hint));
                xml.writeEndElement();
            } else if (!grade.graded) {
                xml.writeStartElement(QLatin1String("error"));
                xml.writeAttribute(QLatin1String("message"),
                                   xmlText(grade.message.section(u'\n', 0, 0)));
                xml.writeCharacters(xmlText(grade.message));
                xml.writeEndElement();
            } else if (!grade.cases[i].passed) {
                writeFailure(xml, cases[i], grade.cases[i]);
            }
            xml.writeEndElement();
        }
        if (!grade.warnings.isEmpty())
            xml.writeTextElement(QLatin1String("system-err"),
                                 xmlText(reportLines(grade.warnings).join(QLatin1Char('\n'))));
        xml.writeEndElement();
    }

    static void writeFailure(QXmlStreamWriter &xml, const TestCase &testCase,
                             const CaseResult &result)
    {
        xml.writeStartElement(QLatin1String("failure"));
        xml.writeAttribute(QLatin1String("message"),
                           xmlText(failureReason(result).section(u'\n', 0, 0)));
        if (testCase.isRule()) {
            xml.writeCharacters(xmlText(result.reason));
            xml.writeEndElement();
            return;
        }
        QString details = QLatin1String("expected: ") +
                          valuesText(testCase.expected, quint64(testCase.expected.size())) +
                          QLatin1String("\noutput:   ") +
                          valuesText(result.output, result.outputCount);
        details += reasonLine(result);
        for (const QString &note : reportLines(result.notes))
            details += QLatin1Char('\n') + note;
        if (!testCase.hint.isEmpty())
            details += QLatin1String("\nhint:     ") + testCase.hint;
        xml.writeCharacters(xmlText(details));
        xml.writeEndElement();
    }

    const QList<TestCase> &cases;
    std::ostream &output;
    QList<FileGrade> grades;
    const bool forStudents;
};

} // namespace

std::unique_ptr<Report> makeJunitReport(const QList<TestCase> &cases, std::ostream &output,
                                        bool forStudents)
{
    return std::make_unique<JunitReport>(cases, output, forStudents);
}

} // namespace grading
