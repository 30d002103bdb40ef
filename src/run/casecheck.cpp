#include "run/casecheck.h"

#include <ostream>

namespace terminal
{

namespace
{

// Output values kept beyond the expected ones: enough to show how a run went
// wrong, without holding all that a runaway loop puts out.
constexpr qsizetype kExtraValuesShown = 20;

// One case's console: the case's values to type, and the output kept.
class CaseConsole final : public Console
{
public:
    explicit CaseConsole(const TestCase &testCase)
        : inputs(testCase.inputs), kept(testCase.expected.size() + kExtraValuesShown)
    {
    }

    std::optional<qint32> readValue() override
    {
        if (asked == inputs.size()) {
            ranOut = true;
            return std::nullopt;
        }
        return inputs[asked++];
    }
    void writeValue(qint32 value) override
    {
        if (outputs.size() < kept)
            outputs.append(value);
        ++written;
    }
    bool flush() override { return true; }
    // A failing case's report tells how its run ended, from the run's outcome.
    void message(const QString &) override {}

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

bool passed(const TestCase &testCase, const CaseConsole &console, const Outcome &outcome)
{
    return outcome.status == Halted && console.written == quint64(testCase.expected.size()) &&
           console.outputs == testCase.expected;
}

// What a failing case expected, and what its run did instead.
std::string failure(const TestCase &testCase, const CaseConsole &console, const Outcome &outcome)
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
    else if (outcome.status == RunFailed)
        text += comment("error:    ", outcome.message);
    else if (outcome.status == StepLimitReached)
        text += comment("stopped:  ", outcome.message);
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
        Runner runner(program, console);
        const Outcome outcome = runner.run(maxSteps);
        const bool ok = passed(cases[i], console, outcome);
        allPassed = allPassed && ok;
        output << (ok ? "ok " : "not ok ") << i + 1 << " - "
               << description(cases[i].line).toStdString() << '\n';
        if (!ok)
            output << failure(cases[i], console, outcome);
        output.flush();
    }
    output.flush();
    if (!output) {
        errors << "Error: cannot write to standard output." << std::endl;
        return OutputFailed;
    }
    return allPassed ? Halted : CasesFailed;
}

} // namespace terminal
