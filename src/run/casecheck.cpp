#include "run/casecheck.h"

#include "cpu/runloop.h"

#include <ostream>

namespace terminal
{

namespace
{

// Output values kept beyond the expected ones: enough to show how a run went
// wrong, without holding all that a runaway loop puts out.
constexpr qsizetype kExtraValuesShown = 20;

// One case's console: the case's values to type, and the output kept. A
// failing case's report tells how its run ended, so messages are not kept.
class CaseConsole final : public machine::Console
{
public:
    explicit CaseConsole(const TestCase &testCase)
        : inputs(testCase.inputs), kept(testCase.expected.size() + kExtraValuesShown)
    {
    }

    std::optional<QString> typedText(qint32) override
    {
        if (asked == inputs.size()) {
            ranOut = true;
            return std::nullopt;
        }
        return QString::number(inputs[asked++]);
    }
    void writeValue(qint32 value) override
    {
        if (outputs.size() < kept)
            outputs.append(value);
        ++written;
    }
    void message(const QString &) override {}
    void operandReport(qint32, const QString &) override {}

    const QList<qint32> &inputs;
    const qsizetype kept;
    qsizetype asked = 0;
    bool ranOut = false;
    QList<qint32> outputs;
    quint64 written = 0;
};

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

// TAP reads "#" as the start of a directive and "\" as an escape.
QString description(QString line)
{
    return line.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('#'), QLatin1String("\\#"));
}

// "# label text", a line of its own for each line of the text.
std::string comment(const char *label, const QString &text)
{
    QString lines = QLatin1String("# ") + QLatin1String(label) + text.trimmed();
    return lines.replace(QLatin1Char('\n'), QLatin1String("\n# ")).toStdString() + '\n';
}

bool passed(const TestCase &testCase, const CaseConsole &console, const machine::RunEnd &end)
{
    return end.kind == machine::RunEnd::Halted &&
           console.written == quint64(testCase.expected.size()) &&
           console.outputs == testCase.expected;
}

// What a failing case expected, and what its run did instead.
std::string failure(const Program &program, const TestCase &testCase, const CaseConsole &console,
                    const machine::RunEnd &end)
{
    std::string text =
        comment("expected: ", valuesText(testCase.expected, testCase.expected.size()));
    text += comment("output:   ", valuesText(console.outputs, console.written));
    if (console.ranOut)
        text += comment("input:    ", console.asked == 0
                                          ? QStringLiteral("the program asked for a value, but "
                                                           "the case gives none.")
                                          : QStringLiteral("the program asked for value %1, but "
                                                           "the case gives only %2.")
                                                .arg(console.asked + 1)
                                                .arg(console.asked));
    else if (end.kind == machine::RunEnd::Fault)
        text += comment("error:    ", program.locationOf(end.address) + end.message);
    else if (end.kind == machine::RunEnd::StepLimit)
        text += comment("stopped:  ", end.message);
    return text;
}

} // namespace

ExitStatus checkCases(const Program &program, const QList<TestCase> &cases, quint64 maxSteps,
                      std::ostream &output, std::ostream &errors)
{
    output << "TAP version 14\n";
    if (cases.isEmpty())
        output << "1..0 # SKIP the cases file holds no case\n";
    else
        output << "1.." << cases.size() << '\n';

    bool allPassed = true;
    for (qsizetype i = 0; i < cases.size() && output; ++i) {
        CaseConsole console(cases[i]);
        machine::Processor processor;
        loadImage(program, processor);
        const machine::RunEnd end = machine::RunLoop(processor, console, 0, maxSteps).run();
        const bool ok = passed(cases[i], console, end);
        allPassed = allPassed && ok;
        output << (ok ? "ok " : "not ok ") << i + 1 << " - "
               << description(cases[i].line).toStdString() << '\n';
        if (!ok)
            output << failure(program, cases[i], console, end);
        output.flush();
    }
    output.flush();
    if (!output) {
        errors << "Error: cannot write to standard output." << std::endl;
        return OutputFailed;
    }
    return allPassed ? Success : CasesFailed;
}

} // namespace terminal
