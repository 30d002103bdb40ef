// TAP version 13, which every common harness reads (Perl's prove among them).
//
// One FILE: its cases are the test points, a failing one followed by a YAML
// block that says what was expected and what the run did, and its warnings
// are comment lines before the plan. Several FILEs: one test point per FILE,
// preceded by its cases as a subtest indented by four spaces, its warnings
// or why it could not be graded in the YAML block of its point. A FILE that
// cannot be graded fails every case with the reason: a harness that runs one
// korvane-run per FILE must go on to the next FILE, so there is no bail-out.

#include "grading/report.h"

#include <QByteArray>

#include <ostream>
#include <string>

namespace grading
{

namespace
{

// The text on one line: a control character or a line or paragraph
// separator, which could end the line or garble it, shows as U+FFFD; tabs
// are kept.
QString singleLine(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\t') || code == 0x7f || code == 0x2028 || code == 0x2029)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

// A test point's description: TAP reads "#" as the start of a directive and
// "\" as an escape.
std::string description(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('#'), QLatin1String("\\#"));
    return singleLine(escaped).toStdString();
}

// A YAML double-quoted string that YAML parsers and TAP::Parser's YAMLish
// reader both read back as the text: only escapes that both know, and raw
// UTF-8 for every other printable character. Characters that YAML takes as
// line breaks or holds unprintable and that the YAMLish reader cannot
// escape (C1 controls, U+2028, U+2029) show as U+FFFD.
std::string quoted(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if ((code >= 0x80 && code <= 0x9f) || code == 0x2028 || code == 0x2029)
            c = QChar::ReplacementCharacter;
    }
    const QByteArray bytes = text.toUtf8();
    std::string result = "\"";
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        switch (byte) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            if (code < 0x20 || code == 0x7f) {
                constexpr char hex[] = "0123456789abcdef";
                result += "\\x";
                result += hex[code >> 4];
                result += hex[code & 0xf];
            } else {
                result += byte;
            }
        }
    }
    return result + '"';
}

// "KEY: |" followed by the lines, each after `indent` and two blanks: a YAML
// literal block, read back as the lines joined by line feeds. A list of
// quoted strings would be plainer, but TAP::Parser's YAMLish reader takes an
// item such as "- 3:1: note: ..." for a key and value. Characters that YAML
// does not allow in a block show as U+FFFD. Nothing for no lines.
std::string yamlLines(const std::string &indent, const char *key, const QStringList &lines)
{
    if (lines.isEmpty())
        return {};
    std::string text = indent + key + ": |\n";
    for (QString line : lines) {
        for (QChar &c : line) {
            const char16_t code = c.unicode();
            if ((code < 0x20 && code != u'\t') || (code >= 0x7f && code <= 0x9f) ||
                code == 0x2028 || code == 0x2029 || code == 0xfeff)
                c = QChar::ReplacementCharacter;
        }
        text += indent + "  " + line.toStdString() + '\n';
    }
    return text;
}

// "KEY: []", or "KEY:" followed by one "- VALUE" line per value, each line
// after `indent`.
std::string yamlList(const std::string &indent, const char *key, const QList<qint32> &values)
{
    if (values.isEmpty())
        return indent + key + ": []\n";
    std::string text = indent + key + ":\n";
    for (const qint32 value : values)
        text += indent + "  - " + std::to_string(value) + '\n';
    return text;
}

class TapReport final : public Report
{
public:
    TapReport(const QList<TestCase> &cases, qsizetype fileCount, std::ostream &output,
              bool forStudents)
        : cases(cases), output(output), severalFiles(fileCount != 1), forStudents(forStudents)
    {
        output << "TAP version 13\n";
        if (severalFiles)
            output << "1.." << fileCount << '\n';
    }

    void add(const FileGrade &grade) override
    {
        if (!severalFiles) {
            for (const QString &warning : reportLines(grade.warnings))
                output << "# " << singleLine(warning).toStdString() << '\n';
            writeCases(grade, "");
        } else {
            ++fileNumber;
            output << "# Subtest: " << description(listedName(grade)) << '\n';
            writeCases(grade, "    ");
            output << (grade.passed() ? "ok " : "not ok ") << fileNumber << " - "
                   << description(listedName(grade)) << '\n';
            if (!grade.graded)
                output << "  ---\n  error: " << quoted(grade.message) << "\n  ...\n";
            else if (!grade.warnings.isEmpty())
                output << "  ---\n"
                       << yamlLines("  ", "warnings", reportLines(grade.warnings)) << "  ...\n";
        }
        output.flush();
    }

    void finish(const QList<CheckTally> &) override {}

private:
    // The plan, the score and a test point per rule and case, each line after `indent`.
    void writeCases(const FileGrade &grade, const std::string &indent)
    {
        output << indent << "1.." << cases.size() << '\n';
        output << indent << "# score " << grade.score(cases) << '/' << maxScore(cases) << '\n';
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const bool passed = grade.graded && grade.cases[i].passed;
            const bool whole = !(forStudents && cases[i].hidden);
            output << indent << (passed ? "ok " : "not ok ") << i + 1 << " - "
                   << description(whole ? cases[i].line : cases[i].title(true)) << '\n';
            if (!whole) {
                if (!passed && grade.graded && !cases[i].hint.isEmpty())
                    output << indent << "  ---\n"
                           << indent << "  hint: " << quoted(cases[i].hint) << '\n'
                           << indent << "  ...\n";
            } else if (!grade.graded)
                output << notGraded(cases[i], grade.message, indent + "  ");
            else if (!passed)
                output << failure(cases[i], grade.cases[i], indent + "  ");
        }
    }

    // The YAML block of a rule or case of a FILE that could not be graded.
    static std::string notGraded(const TestCase &testCase, const QString &message,
                                 const std::string &indent)
    {
        return indent + "---\n" +
               (testCase.isRule() ? std::string()
                                  : yamlList(indent, "expected", testCase.expected)) +
               indent + "error: " + quoted(message) + '\n' + indent + "...\n";
    }

    // The YAML block of a failing case: the values expected and put out, and
    // why the run did not halt, when it did not, with the notes on that.
    static std::string failure(const TestCase &testCase, const CaseResult &result,
                               const std::string &indent)
    {
        std::string text = indent + "---\n";
        if (testCase.isRule())
            return text + indent + "rule: " + quoted(result.reason) + '\n' + indent + "...\n";
        text += yamlList(indent, "expected", testCase.expected);
        text += yamlList(indent, "output", result.output);
        if (result.outputCount > quint64(result.output.size()))
            text += indent + "output_left_out: " +
                    std::to_string(result.outputCount - quint64(result.output.size())) + '\n';
        if (const char *key = endingName(result.ending))
            text += indent + key + ": " + quoted(result.reason) + '\n';
        text += yamlLines(indent, "notes", reportLines(result.notes));
        if (!testCase.hint.isEmpty())
            text += indent + "hint: " + quoted(testCase.hint) + '\n';
        return text + indent + "...\n";
    }

    const QList<TestCase> &cases;
    std::ostream &output;
    const bool severalFiles;
    const bool forStudents;
    qsizetype fileNumber = 0;
};

} // namespace

std::unique_ptr<Report> makeTapReport(const QList<TestCase> &cases, qsizetype fileCount,
                                      std::ostream &output, bool forStudents)
{
    return std::make_unique<TapReport>(cases, fileCount, output, forStudents);
}

} // namespace grading
