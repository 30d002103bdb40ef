// The replay page's writer where a browser cannot look: the words that
// explain a step, the steps a recording keeps at its limit, and the page's
// bytes: the same for the same run, under a policy that allows nothing
// unsafe, with data that no file name or report can break out of. What the page shows and
// asks for is checked in Chromium by client/check_replay.mjs.
#include "machine/instructionset.h"
#include "machine/runloop.h"
#include "replay/explanation.h"
#include "replay/page.h"
#include "replay/recorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>

using machine::Step;

namespace
{

// A program that counts down from 4: lines 1 to 8.
const char *const kCountDown = "\tLDA\tcount\n"
                               "loop\tSUB\tone\n"
                               "\tSTA\tcount\n"
                               "\tOUT\n"
                               "\tBRP\tloop\n"
                               "\tHLT\n"
                               "count\tDAT\t4\n"
                               "one\tDAT\t1\n";

program::Program assembled(const QString &name, const QString &text)
{
    program::Program program;
    program.name = name;
    program.text = text;
    QString error;
    if (!program.assemble(error))
        qFatal("%s", qPrintable(error));
    return program;
}

class NoInput : public machine::Console
{
    std::optional<QString> typedText(qint32) override { return std::nullopt; }
    void writeValue(qint32) override {}
    void message(const QString &) override {}
    void operandReport(qint32, const QString &) override {}
};

// Every step passed on by the recorder.
class Collector : public machine::StepObserver
{
public:
    void stepDone(const Step &step) override { steps.push_back(step); }
    std::vector<Step> steps;
};

// Runs the program, recording at most `limit` steps.
replay::Recording recorded(const program::Program &program, quint64 limit,
                           Collector *next = nullptr)
{
    replay::Recording recording;
    recording.program = program;
    recording.stepLimit = limit;
    machine::Processor processor;
    program::loadImage(program, processor);
    NoInput console;
    machine::RunLoop loop(processor, console, 0, 0);
    replay::Recorder recorder(recording);
    recorder.setNext(next);
    loop.setStepObserver(&recorder);
    loop.run();
    return recording;
}

Step step(qint32 opcode, qint32 operand, qint32 accumulator,
          Step::Effect effect = Step::Effect::None, qint32 value = 0, bool wrapped = false)
{
    Step made;
    made.opcode = opcode;
    made.operand = operand;
    made.accumulator = accumulator;
    made.effect = effect;
    made.value = value;
    made.wrapped = wrapped;
    made.flags = effect == Step::Effect::FlagsSet ? 1 : 0;
    return made;
}

} // namespace

class TestReplay : public QObject
{
    Q_OBJECT

private slots:
    void explanation_data();
    void explanation();
    void recording_data();
    void recording();
    void page_data();
    void page();
};

void TestReplay::explanation_data()
{
    QTest::addColumn<qint32>("address");
    QTest::addColumn<QString>("word");
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *name, qint32 address, const char *word, const Step &step,
                        const char *expected, const char *report = "") {
        QTest::newRow(name) << address << QString::fromUtf8(word) << step
                            << QString::fromUtf8(report) << QString::fromUtf8(expected);
    };
    using E = Step::Effect;
    row("load", 0, "066", step(machine::Load, 6, 4),
        "cell 00 (line 1): 066 · LDA 06 (count) · accumulator ← 4");
    row("subtract", 1, "027", step(machine::Subtract, 7, 3),
        "cell 01 (line 2): 027 · SUB 07 (one) · accumulator ← 3");
    row("store", 2, "0506", step(machine::Store, 6, 3, E::Stored, 6),
        "cell 02 (line 3): 0506 · STA 06 (count) · [06] = 3");
    row("branch taken", 4, "091", step(machine::BranchIfPositive, 1, 3, E::Branched, 1),
        "cell 04 (line 5): 091 · BRP 01 (loop) · jump to 01");
    row("halt", 5, "000", step(machine::Halt, 0, 0), "cell 05 (line 6): 000 · HLT · halt");
    row("input", 0, "1201", step(machine::Input, 0, -12, E::Input, -12),
        "cell 00 (line 1): 1201 · INP · accumulator ← -12, in -12");
    row("wrapped", 1, "0250", step(machine::Subtract, 50, 2147483647, E::None, 0, true),
        "cell 01 (line 2): 0250 · SUB 50 · accumulator ← 2147483647, wrapped");
    row("division by zero", 1, "0450", step(machine::Divide, 50, 9, E::FlagsSet, 1),
        "cell 01 (line 2): 0450 · DIV 50 · flags = 1");
    row("a cell no line assembled to", 42, "1202", step(machine::Output, 0, 7, E::Output, 7),
        "cell 42: 1202 · OUT · out 7");
    row("operand that is no number", 0, "0650", step(machine::Load, 50, 0),
        "cell 00 (line 1): 0650 · LDA 50 · Error instruction(LDA): opcode=<6>,address=<50>.",
        "Error instruction(LDA): opcode=<6>,address=<50>.");
}

// Told with the same effect words as the text trace, and the accumulator set.
void TestReplay::explanation()
{
    QFETCH(qint32, address);
    QFETCH(QString, word);
    QFETCH(Step, step);
    QFETCH(QString, report);
    QFETCH(QString, expected);
    const program::Program program = assembled(QStringLiteral("count.txt"), kCountDown);
    QCOMPARE(replay::fetchText(program, address, word) + QStringLiteral(" · ") +
                 replay::decodeText(program, step.opcode, step.operand) + QStringLiteral(" · ") +
                 replay::executeText(step, report),
             expected);
}

void TestReplay::recording_data()
{
    QTest::addColumn<quint64>("limit");
    QTest::newRow("fewer than the run") << quint64(5);
    QTest::newRow("just the run") << quint64(18);
    QTest::newRow("the default") << replay::kDefaultSteps;
}

// A real run of 18 steps: the first steps up to the limit are kept, numbered
// from 1, and every step is counted and passed on.
void TestReplay::recording()
{
    QFETCH(quint64, limit);
    const program::Program program = assembled(QStringLiteral("count.txt"), kCountDown);
    Collector passed;
    const replay::Recording recording = recorded(program, limit, &passed);
    QCOMPARE(passed.steps.size(), std::size_t(1 + 4 * 4 + 1));
    QCOMPARE(recording.completedSteps, quint64(passed.steps.size()));
    QCOMPARE(recording.steps.size(), std::min(std::size_t(limit), passed.steps.size()));
    for (std::size_t i = 0; i < recording.steps.size(); ++i) {
        QCOMPARE(recording.steps[i].number, quint64(i + 1));
        QCOMPARE(recording.steps[i].accumulator, passed.steps[i].accumulator);
    }
}

void TestReplay::page_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("report");
    const QString hostile = QStringLiteral("</script><!-- &amp; \u2028\u2029 <b>x</b>");
    QTest::newRow("plain") << QStringLiteral("count.txt") << QStringList();
    QTest::newRow("hostile file name") << QStringLiteral("a ") + hostile << QStringList();
    QTest::newRow("hostile report") << QStringLiteral("count.txt") << QStringList{hostile};
}

// The same bytes for the same run, under a policy that allows nothing by
// default and nothing unsafe (a browser runs the page whatever it allows).
// The data ends at its own </script> whatever the texts, with no raw >, &,
// U+2028 or U+2029, and parsed back holds them exactly as they were.
void TestReplay::page()
{
    QFETCH(QString, name);
    QFETCH(QStringList, report);
    replay::Recording recording = recorded(assembled(name, kCountDown), replay::kDefaultSteps);
    recording.report = report;
    const QByteArray page = replay::pageOf(recording);
    QCOMPARE(replay::pageOf(recording), page);

    const auto between = [&](const QByteArray &open, char end) {
        const qsizetype start = page.indexOf(open) + open.size();
        return page.mid(start, page.indexOf(end, start) - start);
    };
    const QByteArray policy = between("http-equiv=\"Content-Security-Policy\" content=\"", '"');
    QVERIFY2(policy.startsWith("default-src 'none'; ") && !policy.contains("unsafe"),
             policy.constData());
    // Ends at the first '<': there must be none inside.
    const QByteArray data = between("<script type=\"application/json\" id=\"run\">", '<');
    QVERIFY(page.mid(page.indexOf(data) + data.size()).startsWith("</script>"));
    QCOMPARE(data, replay::dataOf(recording));
    for (const char *raw : {">", "&", "\u2028", "\u2029"})
        QVERIFY2(!data.contains(raw), raw);
    QJsonParseError error;
    const QJsonObject parsed = QJsonDocument::fromJson(data, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(parsed.value(QLatin1String("name")).toString(), name);
    QCOMPARE(parsed.value(QLatin1String("end")).toObject().value(QLatin1String("report")),
             QJsonArray::fromStringList(report));
}

QTEST_GUILESS_MAIN(TestReplay)
#include "tst_replay.moc"
