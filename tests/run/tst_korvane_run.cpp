#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runTool(const QStringList &arguments, const QByteArray &input = {},
               const QString &outputFile = {})
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
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
    result.err = process.readAllStandardError();
    return result;
}

QByteArray lines(const QStringList &words)
{
    return words.isEmpty() ? QByteArray() : (words.join('\n') + '\n').toUtf8();
}

// The --memory layout: the given words from address 0, the rest empty cells.
QByteArray memory(const QString &spaceSeparatedWords)
{
    QStringList words = spaceSeparatedWords.split(' ', Qt::SkipEmptyParts);
    while (words.size() < 100)
        words << QStringLiteral("00");
    QByteArray grid;
    for (int row = 0; row < 10; ++row)
        grid += words.mid(row * 10, 10).join(' ').toUtf8() + '\n';
    return grid;
}

const QByteArray kLimit =
    "Error: the program ran %1 steps without halting and was stopped (see --max-steps).\n";
const QByteArray kInputEnded = "Error: standard input ended while the program was waiting for a "
                               "value (INP at address %1).\n";

QByteArray with(const QByteArray &pattern, int number)
{
    return QByteArray(pattern).replace("%1", QByteArray::number(number));
}

} // namespace

class TestKorvaneRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(directory.isValid()); }
    void samples_data();
    void samples();
    void assembleSamples_data();
    void assembleSamples();
    void runs_data();
    void runs();
    void helpAndVersion();
    void longOutput();
    void outputWithoutLimitComesAsItIsMade();
    void outputComesBeforeTheNextInput();
    void unwritableOutput();

private:
    QTemporaryDir directory;
};

void TestKorvaneRun::samples_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("output");

    QTest::newRow("adding 3 4") << 0 << QByteArray("3\n4\n") << QStringList{"7"};
    QTest::newRow("max 3 7") << 1 << QByteArray("3\n7\n") << QStringList{"7"};
    QTest::newRow("max 7 3") << 1 << QByteArray("7\n3\n") << QStringList{"7"};
    QTest::newRow("max 5 5") << 1 << QByteArray("5\n5\n") << QStringList{"5"};
    QTest::newRow("count down 3") << 2 << QByteArray("3\n") << QStringList{"3", "2", "1"};
    QTest::newRow("count down 0") << 2 << QByteArray("0\n") << QStringList{"0"};
    QTest::newRow("multiply 6 7") << 3 << QByteArray("6\n7\n") << QStringList{"42"};
    QTest::newRow("triangular") << 4 << QByteArray()
                                << QStringList{"1", "3", "6", "10", "15", "21", "28", "36", "45"};
    QTest::newRow("factorial 0") << 5 << QByteArray("0\n") << QStringList{"1"};
    QTest::newRow("factorial 1") << 5 << QByteArray("1\n") << QStringList{"1"};
    QTest::newRow("factorial 5") << 5 << QByteArray("5\n") << QStringList{"120"};
}

void TestKorvaneRun::samples()
{
    QFETCH(int, sample);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, output);

    const Result result = runTool({"--sample", QString::number(sample)}, input);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, lines(output));
    QCOMPARE(result.exitCode, 0);
}

void TestKorvaneRun::assembleSamples_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("image");

    QTest::newRow("0") << 0 << "1201 0506 1201 0106 1202 000 0";
    QTest::newRow("1") << 1 << "1201 0512 1201 0513 0212 0909 0612 1202 0711 0613 1202 000 0 0";
    QTest::newRow("2") << 2 << "1201 1202 0508 0207 0508 0901 000 1 0";
    QTest::newRow("3") << 3 << "1201 0507 1201 0508 0307 1202 000 0 0";
    QTest::newRow("4") << 4 << "0612 0111 1202 0512 0611 0113 0511 0614 0211 0900 000 1 0 1 10";
    QTest::newRow("5") << 5
                       << "1201 0536 0833 0238 0539 0537 0636 0540 0639 0830 0238 0830 0636 0140 "
                          "0536 0637 0238 0537 0238 0821 0708 0636 0540 0639 0238 0539 0537 0238 "
                          "0830 0708 0636 1202 000 0638 1202 000 0 0 1 0 0";
}

void TestKorvaneRun::assembleSamples()
{
    QFETCH(int, sample);
    QFETCH(QString, image);

    const Result result = runTool({"--assemble", "--sample", QString::number(sample)});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, lines(image.split(' ')));
    QCOMPARE(result.exitCode, 0);
}

// "<file>" in the arguments names a file holding the program text; "<dir>" in
// the arguments and the expected error text stands for the temporary folder.
void TestKorvaneRun::runs_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    const QStringList file{"<file>"};
    const QByteArray echo = "INP\nOUT\nHLT\n";
    const QByteArray loop = "loop BRA loop\n";

    // Assembly errors: the assembler's own message, with a line feed added when it has none.
    QTest::newRow("undefined label")
        << file << QByteArray("LDA X\n") << QByteArray() << 1 << QByteArray()
        << QByteArray("Name <X> not found.[instuction: LDA X]\n");
    QTest::newRow("two names") << file << QByteArray("foo bar") << QByteArray() << 1 << QByteArray()
                               << QByteArray("Error: instuction is invalid <FOO BAR>.\n");
    QTest::newRow("--assemble, error")
        << QStringList{"--assemble", "<file>"} << QByteArray("LDA X") << QByteArray() << 1
        << QByteArray() << QByteArray("Name <X> not found.[instuction: LDA X]\n");

    // Run errors end the run after the output made so far.
    QTest::newRow("empty cell") << file << QByteArray("OUT") << QByteArray() << 2
                                << QByteArray("0\n") << QByteArray("invalid argument <00>.\n");
    QTest::newRow("no instruction") << file << QByteArray("BRA X\nX DAT 1234") << QByteArray() << 2
                                    << QByteArray() << QByteArray("Error in execution <12>.\n");
    QTest::newRow("input ends") << file << QByteArray("INP\nOUT\nINP\nOUT\nHLT")
                                << QByteArray("1\n") << 2 << QByteArray("1\n")
                                << with(kInputEnded, 2);

    // Input lines are taken like texts typed into the input dialog.
    QTest::newRow("invalid, then valid") << file << echo << QByteArray("abc\n5\n") << 0
                                         << QByteArray("5\n") << QByteArray("Invalid input.\n");
    QTest::newRow("empty lines and CR")
        << file << echo << QByteArray("\n\r\n7\r\n") << 0 << QByteArray("7\n") << QByteArray();
    QTest::newRow("blank line is invalid") << file << echo << QByteArray(" \n 12abc") << 0
                                           << QByteArray("12\n") << QByteArray("Invalid input.\n");
    QTest::newRow("BOM and CRLF program")
        << file << QByteArray("\xEF\xBB\xBFINP\r\nOUT\r\nHLT\r\n") << QByteArray("4\n") << 0
        << QByteArray("4\n") << QByteArray();
    QTest::newRow("CRLF program with blank lines")
        << file << QByteArray("INP\r\n\r\nOUT\r\n\r\nHLT\r\n") << QByteArray("4\n") << 0
        << QByteArray("4\n") << QByteArray();

    // The step limit: a halt on the last allowed step still counts as a halt.
    QTest::newRow("never halts") << QStringList{"--max-steps", "1000", "<file>"} << loop
                                 << QByteArray() << 3 << QByteArray() << with(kLimit, 1000);
    QTest::newRow("halts on the last step")
        << QStringList{"--max-steps", "2", "<file>"} << QByteArray("OUT\nHLT") << QByteArray() << 0
        << QByteArray("0\n") << QByteArray();
    QTest::newRow("one step short")
        << QStringList{"--max-steps", "1", "<file>"} << QByteArray("OUT\nHLT") << QByteArray() << 3
        << QByteArray("0\n") << with(kLimit, 1);
    QTest::newRow("default limit")
        << file << loop << QByteArray() << 3 << QByteArray() << with(kLimit, 10000000);

    // --memory: after the run however it ended, or after --assemble.
    QTest::newRow("memory after halt")
        << QStringList{"--memory", "--sample", "0"} << QByteArray() << QByteArray("3\n4\n") << 0
        << QByteArray("7\n") << memory("1201 0506 1201 0106 1202 000 3");
    QTest::newRow("memory after run error")
        << QStringList{"<file>", "--memory"} << QByteArray("INP\nSTA x\nx DAT 9") << QByteArray("8")
        << 2 << QByteArray() << "invalid argument <8>.\n" + memory("1201 0502 8");
    QTest::newRow("memory of a full image")
        << QStringList{"--assemble", "--memory", "<file>"} << QByteArray("HLT\n").repeated(100)
        << QByteArray() << 0 << lines(QString("000 ").repeated(100).split(' ', Qt::SkipEmptyParts))
        << memory(QString("000 ").repeated(100));

    // Wrong usage: one line, no output, nothing run.
    const auto usage = [](const char *message) {
        return QByteArray("korvane-run: ") + message + '\n';
    };
    QTest::newRow("missing file")
        << QStringList{"<dir>/missing.txt"} << QByteArray() << QByteArray() << 64 << QByteArray()
        << usage("Cannot read '<dir>/missing.txt': No such file or directory.");
    QTest::newRow("not UTF-8") << file << QByteArray("INP\n\xff\n") << QByteArray() << 64
                               << QByteArray() << usage("'<file>' is not UTF-8 text.");
    QTest::newRow("unknown option") << QStringList{"--fast", "<file>"} << echo << QByteArray() << 64
                                    << QByteArray() << usage("Unknown option 'fast'.");
    QTest::newRow("sample 6") << QStringList{"--sample", "6"} << QByteArray() << QByteArray() << 64
                              << QByteArray()
                              << usage("--sample needs a number from 0 to 5, not '6'.");
    QTest::newRow("negative steps")
        << QStringList{"--max-steps", "-5", "<file>"} << echo << QByteArray() << 64 << QByteArray()
        << usage("--max-steps needs a whole number of 0 or more, not '-5'.");
    QTest::newRow("file and sample")
        << QStringList{"<file>", "--sample", "1"} << echo << QByteArray() << 64 << QByteArray()
        << usage("Give either a FILE or --sample, not both.");
    QTest::newRow("no program") << QStringList{"--memory"} << QByteArray() << QByteArray() << 64
                                << QByteArray()
                                << usage("No program given: name a FILE or use --sample N.");
}

void TestKorvaneRun::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, program);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const QString path = directory.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(program), program.size());
    file.close();
    arguments.replaceInStrings(QStringLiteral("<file>"), path);
    arguments.replaceInStrings(QStringLiteral("<dir>"), directory.path());
    err.replace("<file>", path.toUtf8()).replace("<dir>", directory.path().toUtf8());

    const Result result = runTool(arguments, input);
    QCOMPARE(result.err, err);
    QCOMPARE(result.out, out);
    QCOMPARE(result.exitCode, exitCode);
}

void TestKorvaneRun::helpAndVersion()
{
    const Result version = runTool({"--version"});
    QCOMPARE(version.out, QByteArray("korvane-run " KORVANE_VERSION "\n"));
    QCOMPARE(version.exitCode, 0);

    const Result help = runTool({"--help"});
    QVERIFY(help.out.startsWith("Usage: "));
    QVERIFY(help.out.contains("--max-steps <N>"));
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
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("loop OUT\nBRA loop\n");
    file.close();

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
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("INP\nOUT\nINP\nOUT\nHLT\n");
    file.close();

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

void TestKorvaneRun::unwritableOutput()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("needs /dev/full");
    const Result result = runTool({"--sample", "4"}, {}, QStringLiteral("/dev/full"));
    QCOMPARE(result.err, QByteArray("Error: cannot write to standard output.\n"));
    QCOMPARE(result.exitCode, 74);
}

QTEST_GUILESS_MAIN(TestKorvaneRun)
#include "tst_korvane_run.moc"
