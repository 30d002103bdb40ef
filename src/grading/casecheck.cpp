#include "grading/casecheck.h"

#include "machine/instructionset.h"
#include "machine/runloop.h"

#include <algorithm>
#include <bitset>
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

// Each cell a run executes as each instruction, once, in the order first run.
class CellWatch final : public machine::StepObserver
{
public:
    void stepDone(const machine::Step &step) override
    {
        // The operation codes 0 to 11, then input and output: 14 per cell.
        const qint32 code =
            step.opcode < machine::Input ? step.opcode : 12 + step.opcode - machine::Input;
        const std::size_t key = std::size_t(step.address) * 14 + std::size_t(code);
        if (key < seen.size() && !seen.test(key)) {
            seen.set(key);
            ran.append({step.address, step.opcode});
        }
    }

    std::bitset<machine::kMemorySize * 14> seen;
    QList<RanCell> ran;
};

// The mnemonic that the line of a cell names as written, in upper case;
// empty for a cell past the program.
QString writtenMnemonic(const program::Program &program, qint32 address)
{
    if (address < 0 || address >= program.image.size())
        return {};
    const diagnostics::Word *mnemonic = program.source->mnemonicOf(address);
    return mnemonic != nullptr ? mnemonic->key() : QString();
}

// "cell 07 (line 8, a DAT)", or "cell 50 (past the program)".
QString cellText(const program::Program &program, qint32 address, const QString &written)
{
    const QString cell = QLatin1String("cell ") + program::addressText(address);
    if (written.isEmpty())
        return cell + QLatin1String(" (past the program)");
    const bool vowel = QStringLiteral("AEIOU").contains(written.front());
    return cell + QStringLiteral(" (line %1, %2 %3)")
                      .arg(program.lineNumbers[std::size_t(address)])
                      .arg(vowel ? QLatin1String("an") : QLatin1String("a"), written);
}

// The lines that use each forbidden instruction, then the first cell that a
// case's run executed as one its line does not name; or the words over the
// most allowed.
CaseResult checkRule(const program::Program &program, const TestCase &rule,
                     const QList<TestCase> &checks, const QList<CaseResult> &results)
{
    CaseResult result;
    if (rule.kind == TestCase::MaxWords) {
        if (program.image.size() > rule.maxWords)
            result.reason = QStringLiteral("the program takes %1 memory words, more than %2.")
                                .arg(program.image.size())
                                .arg(rule.maxWords);
    } else {
        QStringList uses;
        for (qsizetype address = 0; address < program.image.size(); ++address) {
            const QString mnemonic = writtenMnemonic(program, qint32(address));
            if (rule.forbidden.contains(mnemonic))
                uses.append(QStringLiteral("%1 on line %2")
                                .arg(mnemonic)
                                .arg(program.lineNumbers[std::size_t(address)]));
        }
        bool found = false;
        for (qsizetype i = 0; i < checks.size() && !found; ++i) {
            for (const RanCell &cell : results[i].ran) {
                const QString mnemonic = machine::mnemonicOf(cell.opcode);
                const QString written = writtenMnemonic(program, cell.address);
                if (rule.forbidden.contains(mnemonic) && written != mnemonic) {
                    uses.append(QStringLiteral("%1 ran as %2 in the case at line %3")
                                    .arg(cellText(program, cell.address, written), mnemonic)
                                    .arg(checks[i].lineNumber));
                    found = true;
                    break;
                }
            }
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

CaseResult runCase(const program::Program &program, const TestCase &testCase, quint64 maxSteps,
                   TimeLimit timeLimit, bool watchCells)
{
    maxSteps = testCase.maxSteps.value_or(maxSteps);
    timeLimit = testCase.timeLimit.value_or(timeLimit);
    CaseConsole console(testCase, timeLimit);
    machine::Processor processor;
    program::loadImage(program, processor);
    CellWatch watch;
    const quint64 stepsPerReading = timeLimit.count() > 0 ? kStepsPerClockReading : 0;
    machine::RunLoop loop(processor, console, stepsPerReading, maxSteps);
    // The message names the limit that applied: the case's own, or the option.
    if (testCase.maxSteps)
        loop.setStepLimitName(QStringLiteral("[max-steps=%1]").arg(*testCase.maxSteps));
    if (watchCells)
        loop.setStepObserver(&watch);
    const machine::RunEnd end = loop.run();

    CaseResult result;
    result.ran = std::move(watch.ran);
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
        result.reason = program.locationOf(end.address) + program.faultText(end.fault, end.address);
    }
    // Only the step limit watches where a run looped; the clock does not.
    if (end.kind == machine::RunEnd::StepLimit || result.ending == CaseResult::Error)
        result.notes = program.runNotes(program::runStopOf(end, maxSteps));
    result.passed = result.ending == CaseResult::Halted &&
                    result.outputCount == quint64(testCase.expected.size()) &&
                    result.output == testCase.expected;
    return result;
}

} // namespace

QList<CaseResult> checkProgram(const program::Program &program, const QList<TestCase> &checks,
                               quint64 maxSteps, TimeLimit timeLimit)
{
    const bool watchCells = std::any_of(checks.cbegin(), checks.cend(), [](const TestCase &check) {
        return check.kind == TestCase::Forbid;
    });
    QList<CaseResult> results(checks.size());
    for (qsizetype i = 0; i < checks.size(); ++i) {
        if (!checks[i].isRule())
            results[i] = runCase(program, checks[i], maxSteps, timeLimit, watchCells);
    }
    for (qsizetype i = 0; i < checks.size(); ++i) {
        if (checks[i].isRule())
            results[i] = checkRule(program, checks[i], checks, results);
    }
    return results;
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
