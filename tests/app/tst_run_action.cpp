#include "modalanswerer.h"
#include "windowdriver.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <iostream>
#include <sstream>

namespace
{

// Collects what is written to the standard error stream while it lives.
class CapturedStandardError
{
public:
    CapturedStandardError() : previous(std::cerr.rdbuf(captured.rdbuf())) {}
    ~CapturedStandardError() { std::cerr.rdbuf(previous); }
    QString text() const { return QString::fromStdString(captured.str()); }

private:
    std::ostringstream captured;
    std::streambuf *previous;
};

QString lines(const QStringList &values)
{
    QString text;
    for (const QString &value : values)
        text += value + QLatin1Char('\n');
    return text;
}

const QString kInput = QStringLiteral("input: Input a value / Input:");

} // namespace

class TestRunAction : public QObject
{
    Q_OBJECT

private slots:
    void samples_data();
    void samples();
    void inputOutputHalt();
    void typedTextIsShownAsTyped_data();
    void typedTextIsShownAsTyped();
    void unacceptedInputAsksAgain();
    void programs_data();
    void programs();
    void storeShowsInTableAndSecondRunContinues();
    void outputBeforeAndAfterInputStaysInOrder();
    void manyOutputLinesThenMoreInASecondRun();
    void secondRunKeepsTheOutputScrollPosition();
    void dataWordRunAsUnknownCode();
    void addressOutsideMemory();
    void operandNotANumberGoesToStandardError();
    void keepRunningQuestion();
    void runIsImpossibleBeforeLoad();
};

void TestRunAction::samples_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("output");

    QTest::newRow("Adding 2 inputs: 3, 4") << 0 << QStringList{"3", "4"} << QStringList{"7"};
    QTest::newRow("Max of 2 inputs: 3, 7") << 1 << QStringList{"3", "7"} << QStringList{"7"};
    QTest::newRow("Max of 2 inputs: 7, 3") << 1 << QStringList{"7", "3"} << QStringList{"7"};
    QTest::newRow("Max of 2 inputs: 5, 5") << 1 << QStringList{"5", "5"} << QStringList{"5"};
    QTest::newRow("Count down timer: 3") << 2 << QStringList{"3"} << QStringList{"3", "2", "1"};
    QTest::newRow("Count down timer: 0") << 2 << QStringList{"0"} << QStringList{"0"};
    QTest::newRow("Multiplying 2 inputs: 6, 7") << 3 << QStringList{"6", "7"} << QStringList{"42"};
    QTest::newRow("Tringular numbers")
        << 4 << QStringList{} << QStringList{"1", "3", "6", "10", "15", "21", "28", "36", "45"};
    QTest::newRow("Factorial of ...: 0") << 5 << QStringList{"0"} << QStringList{"1"};
    QTest::newRow("Factorial of ...: 1") << 5 << QStringList{"1"} << QStringList{"1"};
    QTest::newRow("Factorial of ...: 5") << 5 << QStringList{"5"} << QStringList{"120"};
}

void TestRunAction::samples()
{
    QFETCH(int, sample);
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, output);

    WindowDriver driver;
    ModalAnswerer answerer;
    driver.chooseSample(sample);
    driver.load();
    answerer.typeEach(inputs);
    driver.run();

    QCOMPARE(driver.output(), lines(output));
    QCOMPARE(driver.input(), inputs.join(QLatin1Char('\n')));
    QCOMPARE(answerer.seen, QStringList(inputs.size(), kInput));
    QCOMPARE(answerer.unexpected, 0);
}

void TestRunAction::inputOutputHalt()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("INP\nOUT\nHLT"));
    driver.load();
    answerer.type(QStringLiteral("42"));
    driver.run();

    QCOMPARE(driver.input(), QStringLiteral("42"));
    QCOMPARE(driver.output(), QStringLiteral("42\n"));
    QCOMPARE(driver.label("lblAccumulator"), QStringLiteral("42"));
    QCOMPARE(driver.label("lblPC"), QStringLiteral("3"));
    QCOMPARE(driver.label("lblOpcode"), QStringLiteral("0"));
    QCOMPARE(driver.label("lblAddress"), QStringLiteral("0"));
    QCOMPARE(driver.label("lblFLG"), QStringLiteral("00"));
    QCOMPARE(driver.table()->currentRow(), 0);
    QCOMPARE(driver.table()->currentColumn(), 3);
    const QList<QTableWidgetItem *> selected = driver.table()->selectedItems();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first(), driver.table()->item(0, 3));
}

void TestRunAction::typedTextIsShownAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("output");

    QTest::newRow("number then letters") << "12abc"
                                         << "12\n";
    QTest::newRow("blank before a sign") << " -5"
                                         << "-5\n";
    QTest::newRow("looks like markup") << "5<b>bold</b>"
                                       << "5\n";
}

void TestRunAction::typedTextIsShownAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, output);

    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("INP\nOUT\nINP\nHLT"));
    driver.load();
    answerer.typeEach({typed, typed});
    driver.run();

    QCOMPARE(driver.label("lblAccumulator"), typed);
    QCOMPARE(driver.input(), typed + QLatin1Char('\n') + typed);
    QCOMPARE(driver.output(), output);
}

void TestRunAction::unacceptedInputAsksAgain()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("INP\nOUT\nHLT"));
    driver.load();
    answerer.type(QStringLiteral("abc"));
    answerer.press();
    answerer.cancel();
    answerer.type(QString());
    answerer.type(QStringLiteral("2147483648"));
    answerer.press();
    answerer.type(QStringLiteral("8"));
    driver.run();

    QCOMPARE(answerer.seen, (QStringList{kInput, QStringLiteral("Invalid input."), kInput, kInput,
                                         kInput, QStringLiteral("Invalid input."), kInput}));
    QCOMPARE(driver.input(), QStringLiteral("8"));
    QCOMPARE(driver.output(), QStringLiteral("8\n"));
}

void TestRunAction::programs_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("accumulator");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("pc");

    QTest::newRow("HLT first") << "HLT"
                               << "" << QStringList{} << "00"
                               << "00"
                               << "1";
    QTest::newRow("running into an empty cell") << "OUT"
                                                << "0\n"
                                                << QStringList{"invalid argument <00>."} << "00"
                                                << "00"
                                                << "2";
    QTest::newRow("running into DAT without value") << "OUT\nX DAT"
                                                    << "0\n"
                                                    << QStringList{"invalid argument <0>."} << "00"
                                                    << "00"
                                                    << "2";
    QTest::newRow("DIV by zero, then BRG")
        << "LDA A\nDIV Z\nBRG END\nOUT\nEND HLT\nA DAT 9\nZ DAT 0"
        << "" << QStringList{} << "9"
        << "1"
        << "5";
    QTest::newRow("ADD wraps") << "LDA M\nADD ONE\nOUT\nHLT\nM DAT 2147483647\nONE DAT 1"
                               << "-2147483648\n"
                               << QStringList{} << "-2147483648"
                               << "00"
                               << "4";
    QTest::newRow("DIV truncates") << "LDA A\nDIV B\nOUT\nHLT\nA DAT 7\nB DAT -2"
                                   << "-3\n"
                                   << QStringList{} << "-3"
                                   << "00"
                                   << "4";
    QTest::newRow("smallest DIV -1") << "LDA A\nDIV B\nOUT\nHLT\nA DAT -2147483648\nB DAT -1"
                                     << "-2147483648\n"
                                     << QStringList{} << "-2147483648"
                                     << "00"
                                     << "4";
    QTest::newRow("branch not taken keeps the fetched pc") << "BRP END\nHLT\nEND HLT"
                                                           << "" << QStringList{} << "00"
                                                           << "00"
                                                           << "2";
    QTest::newRow("running past the last cell")
        <<
        [] {
            QStringList source{QStringLiteral("BRA END")};
            for (int line = 1; line < 99; ++line)
                source << QStringLiteral("P%1 DAT").arg(line);
            source << QStringLiteral("END OUT");
            return source.join(QLatin1Char('\n'));
        }()
        << "0\n"
        << QStringList{"Error: program counter <100> is outside the memory (addresses 0 to 99)."}
        << "00"
        << "00"
        << "100";
}

void TestRunAction::programs()
{
    QFETCH(QString, source);
    QFETCH(QString, output);
    QFETCH(QStringList, messages);
    QFETCH(QString, accumulator);
    QFETCH(QString, flags);
    QFETCH(QString, pc);

    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(source);
    driver.load();
    for (int i = 0; i < messages.size(); ++i)
        answerer.press();
    driver.run();

    QCOMPARE(answerer.seen, messages);
    QCOMPARE(driver.output(), output);
    QCOMPARE(driver.label("lblAccumulator"), accumulator);
    QCOMPARE(driver.label("lblFLG"), flags);
    QCOMPARE(driver.label("lblPC"), pc);
}

void TestRunAction::storeShowsInTableAndSecondRunContinues()
{
    WindowDriver driver;
    driver.setProgram(QStringLiteral("LDA T\nADD ONE\nSTA T\nOUT\nHLT\nONE DAT 1\nP DAT\nT DAT 4"));
    driver.load();
    QCOMPARE(driver.cell(7), QStringLiteral("4"));

    driver.run();
    QCOMPARE(driver.table()->item(0, 7)->text(), QStringLiteral("5"));
    QCOMPARE(driver.output(), QStringLiteral("5\n"));

    driver.run();
    QCOMPARE(driver.cell(7), QStringLiteral("6"));
    QCOMPARE(driver.output(), QStringLiteral("5\n6\n"));
}

// Output is shown whenever the input dialog opens and again at the halt, so
// the output box takes text both when empty and when it already holds some.
void TestRunAction::outputBeforeAndAfterInputStaysInOrder()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("LDA X\nOUT\nINP\nOUT\nINP\nOUT\nHLT\nX DAT 7"));
    driver.load();
    answerer.typeEach({QStringLiteral("8"), QStringLiteral("9")});
    driver.run();

    QCOMPARE(driver.output(), QStringLiteral("7\n8\n9\n"));
    QCOMPARE(answerer.unexpected, 0);
}

namespace
{

// Counts down from the typed value, putting out every value down to 1.
const QString kCountDownOutput = QStringLiteral("INP\nSTA C\nL LDA C\nOUT\nSUB ONE\nSTA C\n"
                                                "BRP L\nHLT\nONE DAT 1\nC DAT");

QString countDownLines(int from)
{
    QString text;
    for (int value = from; value > 0; --value)
        text += QString::number(value) + QLatin1Char('\n');
    return text;
}

} // namespace

void TestRunAction::manyOutputLinesThenMoreInASecondRun()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(kCountDownOutput);
    driver.load();
    answerer.type(QStringLiteral("3000"));
    driver.run();
    QCOMPARE(driver.output(), countDownLines(3000));

    answerer.type(QStringLiteral("2"));
    driver.run();
    QCOMPARE(driver.output(), countDownLines(3000) + QStringLiteral("2\n1\n"));
    QCOMPARE(answerer.unexpected, 0);
}

void TestRunAction::secondRunKeepsTheOutputScrollPosition()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(kCountDownOutput);
    driver.load();
    answerer.type(QStringLiteral("300"));
    driver.run();

    auto *box = driver.find<QTextBrowser>("txtOutput");
    QScrollBar *bar = box->verticalScrollBar();
    QVERIFY(QTest::qWaitFor([&] { return bar->maximum() > 100; }));
    bar->setValue(bar->maximum() / 2);
    const int scrolledTo = bar->value();
    const QString topLine = box->cursorForPosition(QPoint(5, 5)).block().text();

    answerer.type(QStringLiteral("2"));
    driver.run();
    QCoreApplication::processEvents();

    QCOMPARE(driver.output(), countDownLines(300) + QStringLiteral("2\n1\n"));
    QCOMPARE(bar->value(), scrolledTo);
    QCOMPARE(box->cursorForPosition(QPoint(5, 5)).block().text(), topLine);
}

void TestRunAction::dataWordRunAsUnknownCode()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("X DAT 1234"));
    driver.load();
    answerer.press();
    driver.run();

    QCOMPARE(answerer.seen, QStringList{QStringLiteral("Error in execution <12>.\n")});
    QCOMPARE(driver.label("lblOpcode"), QStringLiteral("12"));
    QCOMPARE(driver.label("lblAddress"), QStringLiteral("34"));
    QCOMPARE(driver.label("lblPC"), QStringLiteral("1"));
}

void TestRunAction::addressOutsideMemory()
{
    // No assembled word names such an address; a cell text written directly
    // stands for one that a program could only reach by accident.
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QString());
    driver.load();
    driver.table()->item(0, 0)->setText(QStringLiteral("06150"));
    answerer.press();
    driver.run();

    QCOMPARE(answerer.seen, QStringList{QStringLiteral(
                                "Error: instruction LDA uses address <150>, outside the memory "
                                "(addresses 0 to 99).")});
    QCOMPARE(driver.label("lblOpcode"), QStringLiteral("6"));
    QCOMPARE(driver.label("lblAddress"), QStringLiteral("150"));
}

void TestRunAction::operandNotANumberGoesToStandardError()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("LDA X\nADD X\nOUT\nHLT\nX DAT 3"));
    driver.load();
    driver.table()->item(0, 4)->setText(QStringLiteral("abc"));

    CapturedStandardError standardError;
    driver.run();

    QCOMPARE(standardError.text(),
             QStringLiteral("Error instruction(LDA): opcode=<6>,address=<4>.\n"
                            "Error instruction(ADD): opcode=<1>,address=<4>.\n"));
    QCOMPARE(driver.output(), QStringLiteral("0\n"));
    QCOMPARE(driver.label("lblAccumulator"), QStringLiteral("00"));
    QCOMPARE(answerer.seen, QStringList());
}

void TestRunAction::keepRunningQuestion()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.window.setStepsPerQuestion(1000);
    driver.setProgram(QStringLiteral("LDA ONE\nL ADD ONE\nBRA L\nONE DAT 1"));
    driver.load();
    answerer.press(QStringLiteral("Keep running"));
    answerer.press(QStringLiteral("Stop"));
    driver.run();

    const QString question =
        QStringLiteral("The program has run %1 steps without halting. Keep running?");
    QCOMPARE(answerer.seen, (QStringList{question.arg(1000), question.arg(2000)}));
    // 2000 steps: LDA, then 1999 of the two-step loop, the last being ADD.
    QCOMPARE(driver.label("lblAccumulator"), QStringLiteral("1001"));
    QCOMPARE(driver.label("lblPC"), QStringLiteral("2"));
    QCOMPARE(driver.table()->currentColumn(), 2);
}

void TestRunAction::runIsImpossibleBeforeLoad()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.run();
    QCOMPARE(answerer.seen, QStringList());
    QCOMPARE(driver.label("lblPC"), QStringLiteral("00"));
}

QTEST_MAIN(TestRunAction)
#include "tst_run_action.moc"
