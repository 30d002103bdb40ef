#include "sampledata.h"

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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
const QByteArray kNoHalt = "<file>: warning: the program has no HLT, so a run never halts: it "
                           "stops with an error or at the step limit\n";
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

private:
    QTemporaryDir directory;
};

// Each sample run three ways: plainly, traced and as a test case.
void TestKorvaneRun::samples_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("outputs");

    for (const testdata::SampleRun &run : testdata::sampleRuns())
        QTest::newRow(run.name) << run.sample << run.inputs << run.outputs;
}

void TestKorvaneRun::samples()
{
    QFETCH(int, sample);
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, outputs);
    const QString number = QString::number(sample);

    const Result result = runTool({"--sample", number}, lines(inputs));
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, lines(outputs));
    QCOMPARE(result.exitCode, 0);

    // The trace leaves the output alone; its input and output steps show the
    // values typed and put out, and its last step is the halt.
    const Result traced = runTool({"--trace", "--sample", number}, lines(inputs));
    QCOMPARE(traced.out, result.out);
    QCOMPARE(traced.exitCode, 0);
    QStringList steps = QString::fromUtf8(traced.err).split('\n');
    QCOMPARE(steps.takeFirst(), "step address word instruction accumulator flags");
    QCOMPARE(steps.takeLast(), QString());
    QStringList typed, shown;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QStringList fields = steps[i].split(' ');
        QCOMPARE(fields.first(), QString::number(i + 1));
        if (fields[3] == "INP")
            typed << fields[4];
        if (fields[3] == "OUT")
            shown << fields[4];
    }
    QCOMPARE(typed, inputs);
    QCOMPARE(shown, outputs);
    QVERIFY(!steps.isEmpty() && steps.last().contains(" HLT "));

    // Twice: nothing of the first run carries over into the second.
    const QByteArray testCase = (inputs.join(' ') + " => " + outputs.join(' ')).trimmed().toUtf8();
    const QString cases = directory.filePath(QStringLiteral("sample.cases"));
    QVERIFY(writeFile(cases, (testCase + '\n').repeated(2)));
    const Result checked = runTool({"--test", cases, "--sample", number});
    QCOMPARE(checked.out,
             "TAP version 14\n1..2\nok 1 - " + testCase + "\nok 2 - " + testCase + '\n');
    QCOMPARE(checked.exitCode, 0);
}

// The image, and the listing that puts each line of the text after its address and word.
void TestKorvaneRun::assembleSamples_data()
{
    QTest::addColumn<int>("sample");

    for (int sample = 0; sample < int(testdata::samples().size()); ++sample)
        QTest::newRow(testdata::samples()[std::size_t(sample)].name) << sample;
}

void TestKorvaneRun::assembleSamples()
{
    QFETCH(int, sample);
    const testdata::Sample &expected = testdata::samples()[std::size_t(sample)];
    const QString number = QString::number(sample);

    const Result result = runTool({"--assemble", "--sample", number});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, lines(expected.image));
    QCOMPARE(result.exitCode, 0);

    qsizetype width = 0;
    for (const QString &word : expected.image)
        width = qMax(width, word.size());
    QStringList listing;
    const QStringList text = expected.text.split('\n', Qt::SkipEmptyParts);
    for (qsizetype address = 0; address < text.size(); ++address)
        listing << QString::number(address).rightJustified(2, '0') + ' ' +
                       expected.image[address].leftJustified(width) + "  " + text[address];
    const Result listed = runTool({"--listing", "--sample", number});
    QCOMPARE(listed.err, QByteArray());
    QCOMPARE(listed.out, lines(listing));
    QCOMPARE(listed.exitCode, 0);
}

// "<file>" in the arguments names a file holding the program text, "<dir>"
// the temporary folder and "<docs>" the project's docs folder; "<file>" and
// "<dir>" in the expected texts stand for the same paths. ">/dev/full" in the
// arguments sends standard output there. "--test /dev/stdin" reads the cases
// from the input.
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
    const QByteArray echoTwice = "INP\nOUT\nINP\nOUT\nHLT";
    const QByteArray loop = "loop BRA loop\n";
    const QByteArray mib(1 << 20, '\n');

    // Assembly errors: the assembler's own message after the line it is about,
    // with a line feed added when it has none, then the notes that explain it.
    QTest::newRow("undefined label")
        << file << QByteArray("LDA X\n") << QByteArray() << 1 << QByteArray()
        << QByteArray("<file>:1: Name <X> not found.[instuction: LDA X]\n");
    QTest::newRow("two names, after a blank line")
        << file << QByteArray("INP\n\nfoo bar") << QByteArray() << 1 << QByteArray()
        << QByteArray("<file>:3: Error: instuction is invalid <FOO BAR>.\n"
                      "<file>:3: note: 'BAR' is not a mnemonic; did you mean BRA?\n");
    QTest::newRow("note on another line")
        << file << QByteArray("loop: INP\nBRA loop") << QByteArray() << 1 << QByteArray()
        << QByteArray(
               "<file>:2: Name <LOOP> not found.[instuction: BRA LOOP]\n"
               "<file>:1: note: labels take no colon; this line defines the label 'LOOP:'\n");
    QTest::newRow("--assemble, error")
        << QStringList{"--assemble", "<file>"} << QByteArray("LDA X") << QByteArray() << 1
        << QByteArray() << QByteArray("<file>:1: Name <X> not found.[instuction: LDA X]\n");
    QTest::newRow("too many lines")
        << file << QByteArray("HLT\n").repeated(101) << QByteArray() << 1 << QByteArray()
        << QByteArray("<file>: Error: the program has 101 lines, but "
                      "the memory holds at most 100.\n");

    // Run errors end the run after the output made so far; one raised by an
    // instruction names the line it was assembled from, even when a store
    // has changed its word since.
    QTest::newRow("empty cell") << file << QByteArray("OUT") << QByteArray() << 2
                                << QByteArray("0\n") << kNoHalt + "invalid argument <00>.\n";
    QTest::newRow("no instruction")
        << file << QByteArray("BRA X\nX DAT 1234") << QByteArray() << 2 << QByteArray()
        << kNoHalt + "<file>:2: Error in execution <12>.\n";
    QTest::newRow("input ends") << file << echoTwice << QByteArray("1\n") << 2 << QByteArray("1\n")
                                << "<file>:3: " + with(kInputEnded, 2);

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
    QTest::newRow("program of 1 MiB") << file << "HLT" + mib.left(mib.size() - 3) << QByteArray()
                                      << 0 << QByteArray() << QByteArray();

    // The step limit: a halt on the last allowed step still counts as a halt.
    QTest::newRow("never halts") << QStringList{"--max-steps", "1000", "<file>"} << loop
                                 << QByteArray() << 3 << QByteArray()
                                 << kNoHalt + with(kLimit, 1000);
    QTest::newRow("halts on the last step")
        << QStringList{"--max-steps", "2", "<file>"} << QByteArray("OUT\nHLT") << QByteArray() << 0
        << QByteArray("0\n") << QByteArray();
    QTest::newRow("one step short")
        << QStringList{"--max-steps", "1", "<file>"} << QByteArray("OUT\nHLT") << QByteArray() << 3
        << QByteArray("0\n") << with(kLimit, 1);
    QTest::newRow("default limit")
        << file << loop << QByteArray() << 3 << QByteArray() << kNoHalt + with(kLimit, 10000000);

    // Warnings: after the assembly, before the run, and never in the output.
    const QByteArray warned = "INP\nOUT\nHLT x\n\nx DAT 1.5";
    const QByteArray warnings =
        "<file>:3: warning: operand after HLT, which takes none; the word 00003 still halts\n"
        "<file>:5: warning: data value '1.5' is not a whole number from -2147483648 to "
        "2147483647; the cell holds 0\n";
    QTest::newRow("warnings") << file << warned << QByteArray("3\n") << 0 << QByteArray("3\n")
                              << warnings;
    QTest::newRow("-w") << QStringList{"-w", "<file>"} << warned << QByteArray("3\n") << 0
                        << QByteArray("3\n") << QByteArray();
    QTest::newRow("warnings, test")
        << QStringList{"--test", "/dev/stdin", "<file>"} << warned << QByteArray("3 => 3\n") << 0
        << QByteArray("TAP version 14\n1..1\nok 1 - 3 => 3\n") << warnings;

    // --trace: a line after each step, in order with the messages; a step
    // that fails gets none.
    const QByteArray header = "step address word instruction accumulator flags\n";
    QTest::newRow("trace, input") << QStringList{"--trace", "<file>"} << echoTwice
                                  << QByteArray("abc\n7\n") << 2 << QByteArray("7\n")
                                  << header +
                                         "Invalid input.\n1 00 1201 INP 7 0\n"
                                         "2 01 1202 OUT 7 0\n<file>:3: " +
                                         with(kInputEnded, 2);
    QTest::newRow("trace, stored word")
        << QStringList{"--trace", "<file>"}
        << QByteArray("LDA c\nSTA x\nLDA n\nx HLT\nn DAT -1\nc DAT 10150") << QByteArray() << 2
        << QByteArray()
        << header + "1 00 0605 LDA 5 10150 0\n2 01 0503 STA 3 10150 0\n3 02 0604 LDA 4 -1 0\n"
                    "4 03 10150 BRN 150 -1 0\n"
                    "Error: program counter <150> is outside the memory (addresses 0 to 99).\n";
    QTest::newRow("trace, step limit")
        << QStringList{"--trace", "--max-steps", "1", "<file>"} << QByteArray("OUT\nHLT")
        << QByteArray() << 3 << QByteArray("0\n")
        << header + "1 00 1202 OUT 0 0\n" + with(kLimit, 1);

    // --listing: a blank line of the text is indented like the others.
    QTest::newRow("listing") << QStringList{"--listing", "--memory", "<file>"}
                             << QByteArray("\nstart\tINP\n\n  OUT\nHLT\n\n") << QByteArray() << 0
                             << QByteArray("         \n00 1201  start\tINP\n         \n"
                                           "01 1202    OUT\n02 000   HLT\n         \n")
                             << memory("1201 1202 000");
    QTest::newRow("listing, error")
        << QStringList{"--listing", "<file>"} << QByteArray("\nHLT\nOUT x") << QByteArray() << 1
        << QByteArray() << QByteArray("<file>:3: Name <X> not found.[instuction: OUT X]\n");

    // --test: a report line per case; a failing one tells what its run did.
    const QStringList test{"--test", "/dev/stdin", "<file>"};
    QTest::newRow("test, docs example")
        << QStringList{"--test", "<docs>/factorial.cases", "--sample", "5"} << QByteArray()
        << QByteArray() << 0
        << QByteArray("TAP version 14\n1..5\nok 1 - 0 => 1\nok 2 - 1 => 1\nok 3 - 2 => 2\n"
                      "ok 4 - 5 => 120\nok 5 - 12 => 479001600\n")
        << QByteArray();
    QTest::newRow("test, failures")
        << QStringList{"--max-steps", "100", "--test", "/dev/stdin", "<file>"}
        << QByteArray("\tINP\n\tBRZ loop\n\tBRP show\nbad\tDAT 9999\nshow\tOUT\n\tINP\n\tOUT\n"
                      "\tHLT\nloop\tOUT\n\tBRA loop")
        << QByteArray("5 6 => 5 6\n5 6 => 5 7\n5 => 5 6\n=>\n-1 => 1\n0 =>\n") << 5
        << QByteArray("TAP version 14\n1..6\nok 1 - 5 6 => 5 6\nnot ok 2 - 5 6 => 5 7\n"
                      "# expected: 5 7\n# output:   5 6\nnot ok 3 - 5 => 5 6\n"
                      "# expected: 5 6\n# output:   5\n"
                      "# input:    the program asked for value 2, but the case gives only 1.\n"
                      "not ok 4 - =>\n# expected: (none)\n# output:   (none)\n"
                      "# input:    the program asked for a value, but the case gives none.\n"
                      "not ok 5 - -1 => 1\n# expected: 1\n# output:   (none)\n"
                      "# error:    <file>:4: Error in execution <99>.\n"
                      "not ok 6 - 0 =>\n# expected: (none)\n# output:   " +
                      QByteArray("0 ").repeated(20) +
                      "... (49 values in all)\n# stopped:  " + with(kLimit, 100))
        << QByteArray();
    QTest::newRow("test, no case") << test << echo << QByteArray("# none yet\n\n") << 0
                                   << QByteArray("TAP version 14\n1..0 # SKIP the cases file "
                                                 "holds no case\n")
                                   << QByteArray();
    QTest::newRow("test, assembly error")
        << test << QByteArray("OUT x") << QByteArray("=>\n") << 1 << QByteArray()
        << QByteArray("<file>:1: Name <X> not found."
                      "[instuction: OUT X]\n");

    // Wrong usage: one line, no output, nothing run.
    const auto usage = [](const char *message) {
        return QByteArray("korvane-run: ") + message + '\n';
    };
    QTest::newRow("missing file")
        << QStringList{"<dir>/missing.txt"} << QByteArray() << QByteArray() << 64 << QByteArray()
        << usage("Cannot read '<dir>/missing.txt': No such file or directory.");
    QTest::newRow("not UTF-8") << file << QByteArray("INP\n\xff\n") << QByteArray() << 64
                               << QByteArray() << usage("'<file>' is not UTF-8 text.");
    QTest::newRow("program over 1 MiB")
        << file << "HLT" + mib.left(mib.size() - 2) << QByteArray() << 64 << QByteArray()
        << usage("'<file>' is larger than 1 MiB, too large to be a program.");
    QTest::newRow("unknown option") << QStringList{"--fast", "<file>"} << echo << QByteArray() << 64
                                    << QByteArray() << usage("Unknown option 'fast'.");
    QTest::newRow("sample 6") << QStringList{"--sample", "6"} << QByteArray() << QByteArray() << 64
                              << QByteArray()
                              << usage("--sample needs a number from 0 to 5, not '6'.");
    QTest::newRow("two samples") << QStringList{"--sample", "1", "--sample", "2"} << QByteArray()
                                 << QByteArray() << 64 << QByteArray()
                                 << usage("--sample can be given only once.");
    QTest::newRow("negative steps")
        << QStringList{"--max-steps", "-5", "<file>"} << echo << QByteArray() << 64 << QByteArray()
        << usage("--max-steps needs a whole number of 0 or more, not '-5'.");
    QTest::newRow("file and sample")
        << QStringList{"<file>", "--sample", "1"} << echo << QByteArray() << 64 << QByteArray()
        << usage("Give either a FILE or --sample, not both.");
    QTest::newRow("no program") << QStringList{"--memory"} << QByteArray() << QByteArray() << 64
                                << QByteArray()
                                << usage("No program given: name a FILE or use --sample N.");
    QTest::newRow("two modes") << QStringList{"--listing", "--assemble", "<file>"} << echo
                               << QByteArray() << 64 << QByteArray()
                               << usage("--assemble and --listing cannot be used together.");
    QTest::newRow("trace and test")
        << QStringList{"--trace", "--test", "<dir>/missing.cases", "<file>"} << echo << QByteArray()
        << 64 << QByteArray() << usage("--trace and --test cannot be used together.");
    QTest::newRow("missing cases file")
        << QStringList{"--test", "<dir>/missing.cases", "<file>"} << echo << QByteArray() << 64
        << QByteArray() << usage("Cannot read '<dir>/missing.cases': No such file or directory.");
    QTest::newRow("case without =>")
        << test << echo << QByteArray("# the first case\n1 => 1\n1 2\n") << 64 << QByteArray()
        << usage("/dev/stdin:3: no '=>' between the values to type and the expected output.");
    QTest::newRow("case with two =>") << test << echo << QByteArray("1 => 1 => 1\n") << 64
                                      << QByteArray() << usage("/dev/stdin:1: more than one '=>'.");
    QTest::newRow("case value out of range")
        << test << echo << QByteArray("2147483648 => 1\n") << 64 << QByteArray()
        << usage("/dev/stdin:1: '2147483648' is not a whole number from -2147483648 to "
                 "2147483647.");

    // Output that cannot be written: said once, and it decides the exit status.
    const QByteArray unwritable = "Error: cannot write to standard output.\n";
    QTest::newRow("full device") << QStringList{"--sample", "4", ">/dev/full"} << QByteArray()
                                 << QByteArray() << 74 << QByteArray() << unwritable;
    QTest::newRow("full device, then input")
        << QStringList{"<file>", ">/dev/full"} << QByteArray("OUT\nINP\nOUT\nHLT")
        << QByteArray("5\n") << 74 << QByteArray() << unwritable;
    QTest::newRow("full device, version") << QStringList{"--version", ">/dev/full"} << QByteArray()
                                          << QByteArray() << 74 << QByteArray() << QByteArray();
    QTest::newRow("full device, test")
        << QStringList{"--test", "/dev/stdin", "--sample", "0", ">/dev/full"} << QByteArray()
        << QByteArray("1 2 => 3\n") << 74 << QByteArray() << unwritable;
}

void TestKorvaneRun::runs()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, program);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    const QString full = QStringLiteral("/dev/full");
    const bool toFull = arguments.removeAll('>' + full) > 0;
    if (toFull && !QFile::exists(full))
        QSKIP("needs /dev/full");
    const QString path = directory.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".txt");
    QVERIFY(writeFile(path, program));
    arguments.replaceInStrings(QStringLiteral("<file>"), path);
    arguments.replaceInStrings(QStringLiteral("<dir>"), directory.path());
    arguments.replaceInStrings(QStringLiteral("<docs>"), QStringLiteral(KORVANE_DOCS_DIR));
    for (QByteArray *text : {&out, &err})
        text->replace("<file>", path.toUtf8()).replace("<dir>", directory.path().toUtf8());

    const Result result = runTool(arguments, input, toFull ? full : QString());
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

QTEST_GUILESS_MAIN(TestKorvaneRun)
#include "tst_korvane_run.moc"
