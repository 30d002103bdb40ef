// The replay page's writer: the words that explain a step, the recording of
// a real run up to its limit, and the page's bytes: the same for the same
// run, with the data that no program or file name can break out of.
#include "machine/instructionset.h"
#include "machine/runloop.h"
#include "replay/explanation.h"
#include "replay/page.h"
#include "replay/recorder.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

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

class Counter : public machine::StepObserver
{
public:
    void stepDone(const Step &) override { ++steps; }
    int steps = 0;
};

// Runs the program, recording at most `limit` steps.
replay::Recording recorded(const program::Program &program, quint64 limit, Counter *next)
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
    void recording();
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
    row("output", 3, "1202", step(machine::Output, 0, 3, E::Output, 3),
        "cell 03 (line 4): 1202 · OUT · out 3");
    row("branch taken", 4, "091", step(machine::BranchIfPositive, 1, 3, E::Branched, 1),
        "cell 04 (line 5): 091 · BRP 01 (loop) · jump to 01");
    row("branch not taken", 4, "091", step(machine::BranchIfPositive, 1, 0, E::NotTaken, 1),
        "cell 04 (line 5): 091 · BRP 01 (loop) · not taken");
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

// A real run: the first steps are kept, every step counted and passed on.
void TestReplay::recording()
{
    const program::Program program = assembled(QStringLiteral("count.txt"), kCountDown);
    Counter all;
    const replay::Recording whole = recorded(program, replay::kDefaultSteps, &all);
    QCOMPARE(whole.completedSteps, quint64(all.steps));
    QCOMPARE(whole.steps.size(), std::size_t(all.steps));
    QCOMPARE(all.steps, 1 + 4 * 4 + 1);
    for (std::size_t i = 0; i < whole.steps.size(); ++i)
        QCOMPARE(whole.steps[i].number, quint64(i + 1));

    Counter passed;
    const replay::Recording cut = recorded(program, 5, &passed);
    QCOMPARE(cut.steps.size(), std::size_t(5));
    QCOMPARE(cut.completedSteps, whole.completedSteps);
    QCOMPARE(passed.steps, all.steps);
    for (std::size_t i = 0; i < cut.steps.size(); ++i)
        QCOMPARE(cut.steps[i].accumulator, whole.steps[i].accumulator);
}

// The same bytes for the same run; the script and style allowed by their
// hashes; the data, parsed back, holds every text exactly as it was.
void TestReplay::page()
{
    const QString hostile = QStringLiteral("</script><!-- &amp; \u2028\u2029 <b>x</b>");
    program::Program program =
        assembled(QStringLiteral("a ") + hostile, QString::fromLatin1(kCountDown));
    replay::Recording recording = recorded(program, replay::kDefaultSteps, nullptr);
    recording.report = QStringList{hostile};

    const QByteArray page = replay::pageOf(recording);
    QCOMPARE(replay::pageOf(recording), page);

    const auto between = [&](const QByteArray &open, qsizetype from = 0) {
        const qsizetype start = page.indexOf(open, from) + open.size();
        return page.mid(start, page.indexOf('<', start) - start);
    };
    const auto hashOf = [](const QByteArray &text) {
        return "'sha256-" + QCryptographicHash::hash(text, QCryptographicHash::Sha256).toBase64() +
               "'";
    };
    const QByteArray policy = between("http-equiv=\"Content-Security-Policy\" content=\"");
    QVERIFY(policy.startsWith("default-src 'none'; "));
    QVERIFY(!policy.contains("unsafe"));
    const QByteArray script =
        page.mid(page.lastIndexOf("<script>") + 8,
                 page.lastIndexOf("</script>") - page.lastIndexOf("<script>") - 8);
    QVERIFY(policy.contains("script-src " + hashOf(script) + ";"));
    QVERIFY(policy.contains("style-src " + hashOf(between("<style>")) + ";"));

    // Ends at the first '<': there must be none inside.
    const QByteArray data = between("<script type=\"application/json\" id=\"run\">");
    QVERIFY(page.mid(page.indexOf(data) + data.size()).startsWith("</script>"));
    QCOMPARE(data, replay::dataOf(recording));
    for (const char *raw : {">", "&", "\u2028", "\u2029"})
        QVERIFY2(!data.contains(raw), raw);
    QJsonParseError error;
    const QJsonObject parsed = QJsonDocument::fromJson(data, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(parsed.value(QLatin1String("name")).toString(), program.name);
    QCOMPARE(parsed.value(QLatin1String("end")).toObject().value(QLatin1String("report")),
             QJsonArray{hostile});
    QCOMPARE(parsed.value(QLatin1String("steps")).toArray().size(),
             qsizetype(recording.steps.size()));
    QCOMPARE(parsed.value(QLatin1String("lines")).toArray().size(), 8);
}

QTEST_GUILESS_MAIN(TestReplay)
#include "tst_replay.moc"
