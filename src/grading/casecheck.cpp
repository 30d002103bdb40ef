#include "grading/casecheck.h"

#include "assembler/splittext.h"
#include "machine/runloop.h"

#include <algorithm>
#include <chrono>

namespace grading
{

namespace
{

// Output values kept beyond the expected ones: enough to show how a run went
// wrong, without holding all that a runaway loop puts out.
constexpr qsizetype kExtraValuesShown = 20;

// Under a time limit, the clock is read after each stretch of this many
// steps: rarely enough to leave the run at its speed.
constexpr quint64 kStepsPerClockReading = 1 << 16;

// One case's console: the case's values to type, and the output kept. A
// failing case's report tells how its run ended, so messages are not kept.
class CaseConsole final : public machine::Console
{
public:
    CaseConsole(const TestCase &testCase, TimeLimit timeLimit)
        : inputs(testCase.inputs), kept(testCase.expected.size() + kExtraValuesShown),
          deadline(std::chrono::steady_clock::now() + timeLimit)
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
    // Asked only under a time limit.
    bool keepRunning(quint64) override
    {
        timedOut = std::chrono::steady_clock::now() >= deadline;
        return !timedOut;
    }

    const QList<qint32> &inputs;
    const qsizetype kept;
    qsizetype asked = 0;
    bool ranOut = false;
    QList<qint32> outputs;
    quint64 written = 0;
    const std::chrono::steady_clock::time_point deadline;
    bool timedOut = false;
};

// The lines that use each forbidden instruction, or the words over the most allowed.
CaseResult checkRule(const program::Program &program, const TestCase &rule)
{
    CaseResult result;
    if (rule.kind == TestCase::MaxWords) {
        if (program.image.size() > rule.maxWords)
            result.reason = QStringLiteral("the program takes %1 memory words, more than %2.")
                                .arg(program.image.size())
                                .arg(rule.maxWords);
    } else {
        const QStringList lines = program.text.split(QLatin1Char('\n'));
        QStringList uses;
        for (qsizetype address = 0; address < program.image.size(); ++address) {
            const qint32 line = program.lineNumbers[std::size_t(address)];
            const QStringList fields = splitText(lines.value(line - 1), QString());
            const QString mnemonic =
                fields.value(program.labels.value(address).isEmpty() ? 0 : 1).toUpper();
            if (rule.forbidden.contains(mnemonic))
                uses.append(QStringLiteral("%1 on line %2").arg(mnemonic).arg(line));
        }
        if (!uses.isEmpty())
            result.reason = QStringLiteral("forbidden instructions used: %1.")
                                .arg(uses.join(QLatin1String(", ")));
    }
    result.passed = result.reason.isEmpty();
    if (!result.passed)
        result.ending = CaseResult::Broken;
    return result;
}

} // namespace

CaseResult checkCase(const program::Program &program, const TestCase &testCase, quint64 maxSteps,
                     TimeLimit timeLimit)
{
    if (testCase.isRule())
        return checkRule(program, testCase);
    maxSteps = testCase.maxSteps.value_or(maxSteps);
    timeLimit = testCase.timeLimit.value_or(timeLimit);
    CaseConsole console(testCase, timeLimit);
    machine::Processor processor;
    program::loadImage(program, processor);
    const quint64 stepsPerReading = timeLimit.count() > 0 ? kStepsPerClockReading : 0;
    const machine::RunEnd end =
        machine::RunLoop(processor, console, stepsPerReading, maxSteps).run();

    CaseResult result;
    result.outputCount = console.written;
    result.output = std::move(console.outputs);
    if (console.ranOut) {
        result.ending = CaseResult::Input;
        result.reason = console.asked == 0
                            ? QStringLiteral("the program asked for a value, but the case gives "
                                             "none.")
                            : QStringLiteral("the program asked for value %1, but the case gives "
                                             "only %2.")
                                  .arg(console.asked + 1)
                                  .arg(console.asked);
    } else if (end.kind == machine::RunEnd::StepLimit) {
        result.ending = CaseResult::Stopped;
        result.reason = end.message.trimmed();
    } else if (end.kind == machine::RunEnd::Stopped && console.timedOut) {
        result.ending = CaseResult::Stopped;
        result.reason = timeLimitMessage(timeLimit);
    } else if (end.kind != machine::RunEnd::Halted) {
        // A fault; a case's console never stops a run or runs out of input otherwise.
        result.ending = CaseResult::Error;
        result.reason = (program.locationOf(end.address) + end.message).trimmed();
    }
    // Only the step limit watches where a run looped; the clock does not.
    if (end.kind == machine::RunEnd::StepLimit || result.ending == CaseResult::Error)
        result.notes = program.runNoteList(program::runStopOf(end, maxSteps));
    result.passed = result.ending == CaseResult::Halted &&
                    result.outputCount == quint64(testCase.expected.size()) &&
                    result.output == testCase.expected;
    return result;
}

qsizetype FileGrade::passedCount() const
{
    return std::count_if(cases.cbegin(), cases.cend(),
                         [](const CaseResult &result) { return result.passed; });
}

qint64 FileGrade::score(const QList<TestCase> &checks) const
{
    qint64 points = 0;
    for (qsizetype i = 0; i < cases.size() && i < checks.size(); ++i)
        points += cases[i].passed ? checks[i].points : 0;
    return points;
}

qint64 maxScore(const QList<TestCase> &checks)
{
    qint64 points = 0;
    for (const TestCase &check : checks)
        points += check.points;
    return points;
}

} // namespace grading
