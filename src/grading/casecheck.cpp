#include "grading/casecheck.h"

#include "cpu/runloop.h"

#include <algorithm>

namespace grading
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

} // namespace

CaseResult checkCase(const korvane::Program &program, const TestCase &testCase, quint64 maxSteps)
{
    CaseConsole console(testCase);
    machine::Processor processor;
    korvane::loadImage(program, processor);
    const machine::RunEnd end = machine::RunLoop(processor, console, 0, maxSteps).run();

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
    } else if (end.kind != machine::RunEnd::Halted) {
        // A fault; a case's console never stops a run or runs out of input otherwise.
        result.ending = CaseResult::Error;
        result.reason = (program.locationOf(end.address) + end.message).trimmed();
    }
    if (result.ending == CaseResult::Stopped || result.ending == CaseResult::Error)
        result.notes = program.runNotes(korvane::runStopOf(end, maxSteps), korvane::Form::Report);
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

} // namespace grading
