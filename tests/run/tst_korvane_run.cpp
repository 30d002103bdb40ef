#include "scenario.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace
{

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs korvane-run in `directory` (the current one when empty); with `merged`
// both streams come as `out`, in the order they were written.
Result runTool(const QStringList &arguments, const QByteArray &input = {},
               const QString &directory = {}, const QString &outputFile = {}, bool merged = false)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (merged)
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(KORVANE_RUN_PATH), arguments);
    Result result;
    if (!process.waitForStarted())
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    if (!merged)
        result.err = process.readAllStandardError();
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestKorvaneRun : public QObject
{
    Q_OBJECT

private slots:
    void scenarios_data();
    void scenarios();
    void helpAndVersion();
    void longOutput();
    void outputWithoutLimitComesAsItIsMade();
    void outputComesBeforeTheNextInput();
    void promptsAtATerminal();
    void endOfInputAtATerminal_data();
    void endOfInputAtATerminal();

private:
    QTemporaryDir directory;
};

// Every scenario of every file in the scenarios folder.
void TestKorvaneRun::scenarios_data()
{
    QTest::addColumn<Scenario>("scenario");

    const QDir folder(QStringLiteral(KORVANE_SCENARIOS_DIR));
    const QStringList files = folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files) {
        for (const Scenario &scenario : readScenarios(folder.filePath(file))) {
            const QString tag = file.chopped(4) + QStringLiteral(": ") + scenario.title;
            QTest::newRow(qPrintable(tag)) << scenario;
        }
    }
}

void TestKorvaneRun::scenarios()
{
    QFETCH(Scenario, scenario);
    const QByteArray where = scenario.origin.toUtf8();
    QVERIFY2(!scenario.title.startsWith(QLatin1String("malformed: ")), where);
    if (scenario.toFull && !QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");

    // A fresh folder each time: no file of another scenario is there.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const auto &[name, bytes] : std::as_const(scenario.files))
        QVERIFY2(writeFile(folder.filePath(name), bytes), where);
    scenario.arguments.replaceInStrings(QStringLiteral("<source>"),
                                        QStringLiteral(KORVANE_SOURCE_DIR));

    const Result result =
        runTool(scenario.arguments, scenario.input, folder.path(),
                scenario.toFull ? QStringLiteral("/dev/full") : QString(), scenario.merged);
    const auto compare = [&](const QByteArray &actual, const QByteArray &expected) {
        if (actual != expected)
            qWarning("%s: expected\n%s\nbut got\n%s", where.constData(), expected.constData(),
                     actual.constData());
        return actual == expected;
    };
    QVERIFY2(compare(result.err, scenario.err), "standard error");
    QVERIFY2(compare(result.out, scenario.out), "standard output");
    QCOMPARE(result.exitCode, scenario.status);
}

void TestKorvaneRun::helpAndVersion()
{
    const Result version = runTool({"--version"});
    QCOMPARE(version.out, QByteArray("korvane-run " KORVANE_VERSION "\n"));
    QCOMPARE(version.exitCode, 0);

    const Result help = runTool({"--help"});
    QVERIFY(help.out.startsWith("Usage: "));
    QVERIFY(help.out.contains("--max-steps <N>"));
    QVERIFY(help.out.contains("each OUT value is written to standard output"));
    QVERIFY(help.out.contains("-w, --no-warnings"));
    QCOMPARE(help.err, QByteArray());
    QCOMPARE(help.exitCode, 0);
}

// Output from many chunks of steps arrives complete and in order.
void TestKorvaneRun::longOutput()
{
    for (const QString &limit : {QStringLiteral("10000000"), QStringLiteral("0")}) {
        const Result result = runTool({"--sample", "2", "--max-steps", limit}, "200000\n");
        QCOMPARE(result.exitCode, 0);
        const QList<QByteArray> values = result.out.split('\n');
        QCOMPARE(values.size(), 200001); // the last line feed leaves an empty part
        QCOMPARE(values.first(), QByteArray("200000"));
        QCOMPARE(values.at(100000), QByteArray("100000"));
        QCOMPARE(values.at(199999), QByteArray("1"));
    }
}

void TestKorvaneRun::outputWithoutLimitComesAsItIsMade()
{
    const QString path = directory.filePath("forever.txt");
    QVERIFY(writeFile(path, "loop OUT\nBRA loop\n"));

    QProcess process;
    process.start(QStringLiteral(KORVANE_RUN_PATH), {"--max-steps", "0", path});
    QVERIFY(process.waitForReadyRead(10000));
    QVERIFY(process.readAllStandardOutput().startsWith("0\n0\n"));
    QCOMPARE(process.state(), QProcess::Running);
    process.kill();
    process.waitForFinished();
}

// A script that answers what it reads sees each output before being asked again.
void TestKorvaneRun::outputComesBeforeTheNextInput()
{
    const QString path = directory.filePath("echo twice.txt");
    QVERIFY(writeFile(path, "INP\nOUT\nINP\nOUT\nHLT\n"));

    QProcess process;
    process.start(QStringLiteral(KORVANE_RUN_PATH), {path});
    QVERIFY(process.waitForStarted());
    process.write("5\n");
    QByteArray seen;
    while (seen.size() < 2 && process.waitForReadyRead(10000))
        seen += process.readAllStandardOutput();
    QCOMPARE(seen, QByteArray("5\n"));
    process.write("6\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput(), QByteArray("6\n"));
    QCOMPARE(process.exitCode(), 0);
}

// Someone typing at a terminal is asked for each line of values, with the
// input instruction named; values typed on one line need no second prompt,
// an empty line gets a new one.
void TestKorvaneRun::promptsAtATerminal()
{
    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(terminal >= 0);
    const auto closeTerminal = qScopeGuard([terminal] { ::close(terminal); });
    QVERIFY(grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    const QString path = directory.filePath("three inputs.txt");
    QVERIFY(writeFile(path, "INP\nOUT\nINP\nOUT\n\nINP\nOUT\nHLT\n"));

    QProcess process;
    process.setStandardInputFile(QString::fromLocal8Bit(ptsname(terminal)));
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(KORVANE_RUN_PATH), {path});
    QByteArray asked;
    const auto waitFor = [&](const QByteArray &prompts) {
        while (asked != prompts && process.waitForReadyRead(10000))
            asked += process.readAllStandardError();
        return asked == prompts;
    };
    const QByteArray first = "INP at 00 (line 1)? ";
    QVERIFY(waitFor(first));
    QCOMPARE(::write(terminal, "\n", 1), 1);
    QVERIFY(waitFor(first + first));
    QCOMPARE(::write(terminal, "5 6\n", 4), 4);
    QVERIFY(waitFor(first + first + "INP at 04 (line 6)? "));
    QCOMPARE(::write(terminal, "7\n", 2), 2);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardOutput(), QByteArray("5\n6\n7\n"));
    QCOMPARE(process.exitCode(), 0);
}

// Input that ends on the prompt's line (Ctrl-D there, or after a value)
// leaves the error a line of its own; its address reads as the prompt's.
void TestKorvaneRun::endOfInputAtATerminal_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("messages");

    const QByteArray ended = "prog.txt:3:1: error: standard input ended while the program was "
                             "waiting for a value (INP at address 02)\n"
                             "    3 | INP\n"
                             "      | ^~~\n";
    QTest::newRow("at the prompt")
        << QByteArray("4\n\x04") << "INP at 00 (line 1)? INP at 02 (line 3)? \n" + ended;
    QTest::newRow("after a value on the same line")
        << QByteArray("4\x04\x04") << "INP at 00 (line 1)? \n" + ended;
}

void TestKorvaneRun::endOfInputAtATerminal()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, messages);

    const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(terminal >= 0);
    const auto closeTerminal = qScopeGuard([terminal] { ::close(terminal); });
    QVERIFY(grantpt(terminal) == 0 && unlockpt(terminal) == 0);
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath("prog.txt"), "INP\nOUT\nINP\nOUT\nHLT\n"));

    QProcess process;
    process.setWorkingDirectory(folder.path());
    process.setStandardInputFile(QString::fromLocal8Bit(ptsname(terminal)));
    process.start(QStringLiteral(KORVANE_RUN_PATH), {"prog.txt"});
    QVERIFY(process.waitForStarted());
    QCOMPARE(::write(terminal, typed.constData(), size_t(typed.size())), typed.size());
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.readAllStandardError(), messages);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("4\n"));
    QCOMPARE(process.exitCode(), 2);
}

QTEST_GUILESS_MAIN(TestKorvaneRun)
#include "tst_korvane_run.moc"
