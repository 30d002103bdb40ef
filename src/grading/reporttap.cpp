// TAP version 13, which every common harness reads (Perl's prove among them).
//
// One FILE: its cases are the test points, a failing one followed by a YAML
// block that says what was expected and what the run did; a FILE that cannot
// be graded gives "Bail out!" with the reason. Several FILEs: one test point
// per FILE, preceded by its cases as a subtest indented by four spaces; a
// FILE that cannot be graded has no subtest, and its point a YAML block with
// the reason.

#include "grading/report.h"

#include <QByteArray>

#include <ostream>
#include <string>

namespace grading
{

namespace
{

// The text on one line: a control character, which could end the line or
// garble it, shows as U+FFFD; tabs are kept.
QString singleLine(QString text)
{
    for (QChar &c : text) {
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f)
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
    TapReport(const QList<TestCase> &cases, qsizetype fileCount, std::ostream &output)
        : cases(cases), output(output), severalFiles(fileCount != 1)
    {
        output << "TAP version 13\n";
        if (severalFiles)
            output << "1.." << fileCount << '\n';
    }

    void add(const FileGrade &grade) override
    {
        if (!severalFiles) {
            if (grade.graded)
                writeCases(grade, "");
            else
                output << "Bail out! " << singleLine(firstLine(grade.message)).toStdString()
                       << '\n';
        } else {
            ++fileNumber;
            if (grade.graded) {
                output << "# Subtest: " << description(grade.name) << '\n';
                writeCases(grade, "    ");
            }
            output << (grade.passed() ? "ok " : "not ok ") << fileNumber << " - "
                   << description(grade.name) << '\n';
            if (!grade.graded)
                output << "  ---\n  error: " << quoted(grade.message) << "\n  ...\n";
        }
        output.flush();
    }

    void finish() override {}

private:
    // The plan and a test point per case, each line after `indent`.
    void writeCases(const FileGrade &grade, const std::string &indent)
    {
        output << indent << "1.." << cases.size() << '\n';
        for (qsizetype i = 0; i < cases.size(); ++i) {
            const CaseResult &result = grade.cases[i];
            output << indent << (result.passed ? "ok " : "not ok ") << i + 1 << " - "
                   << description(cases[i].line) << '\n';
            if (!result.passed)
                output << failure(cases[i], result, indent + "  ");
        }
    }

    // The YAML block of a failing case: the values expected and put out, and
    // why the run did not halt, when it did not.
    static std::string failure(const TestCase &testCase, const CaseResult &result,
                               const std::string &indent)
    {
        std::string text = indent + "---\n";
        text += yamlList(indent, "expected", testCase.expected);
        text += yamlList(indent, "output", result.output);
        if (result.outputCount > quint64(result.output.size()))
            text += indent + "output_left_out: " +
                    std::to_string(result.outputCount - quint64(result.output.size())) + '\n';
        if (const char *key = endingName(result.ending))
            text += indent + key + ": " + quoted(result.reason) + '\n';
        return text + indent + "...\n";
    }

    const QList<TestCase> &cases;
    std::ostream &output;
    const bool severalFiles;
    qsizetype fileNumber = 0;
};

} // namespace

std::unique_ptr<Report> makeTapReport(const QList<TestCase> &cases, qsizetype fileCount,
                                      std::ostream &output)
{
    return std::make_unique<TapReport>(cases, fileCount, output);
}

} // namespace grading
