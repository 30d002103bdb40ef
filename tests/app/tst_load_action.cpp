#include "modalanswerer.h"
#include "windowdriver.h"

#include <QTest>

namespace
{

QStringList words(const char *spaced)
{
    return QString::fromLatin1(spaced).split(QLatin1Char(' '));
}

QString numberedProgram(int lines)
{
    QStringList source;
    for (int line = 0; line < lines; ++line)
        source << QStringLiteral("L%1 DAT %1").arg(line);
    return source.join(QLatin1Char('\n'));
}

} // namespace

class TestLoadAction : public QObject
{
    Q_OBJECT

private slots:
    void samplesFillTheirCells_data();
    void samplesFillTheirCells();
    void errorsLeaveAnEmptyMemory_data();
    void errorsLeaveAnEmptyMemory();
    void failedLoadAtStartKeepsRunDisabled();
    void failedLoadAfterSuccessRunsIntoEmptyCell();
    void emptyEditorLoads();
    void loadingTwiceGivesTheSameTable();
    void loadClearsWhatARunLeft();
    void hundredLinesFillTheLastCell();
};

void TestLoadAction::samplesFillTheirCells_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<QStringList>("image");

    QTest::newRow("Adding 2 inputs") << 0 << words("1201 0506 1201 0106 1202 000 0");
    QTest::newRow("Max of 2 inputs")
        << 1 << words("1201 0512 1201 0513 0212 0909 0612 1202 0711 0613 1202 000 0 0");
    QTest::newRow("Count down timer") << 2 << words("1201 1202 0508 0207 0508 0901 000 1 0");
    QTest::newRow("Multiplying 2 inputs") << 3 << words("1201 0507 1201 0508 0307 1202 000 0 0");
    QTest::newRow("Tringular numbers")
        << 4 << words("0612 0111 1202 0512 0611 0113 0511 0614 0211 0900 000 1 0 1 10");
    QTest::newRow("Factorial of ...")
        << 5
        << words("1201 0536 0833 0238 0539 0537 0636 0540 0639 0830 0238 0830 0636 0140 0536 "
                 "0637 0238 0537 0238 0821 0708 0636 0540 0639 0238 0539 0537 0238 0830 0708 "
                 "0636 1202 000 0638 1202 000 0 0 1 0 0");
}

void TestLoadAction::samplesFillTheirCells()
{
    QFETCH(int, sample);
    QFETCH(QStringList, image);

    WindowDriver driver;
    ModalAnswerer answerer;
    driver.chooseSample(sample);
    driver.load();

    const QStringList cells = driver.cells();
    QCOMPARE(cells.mid(0, image.size()), image);
    for (int address = image.size(); address < 100; ++address)
        QCOMPARE(cells[address], QStringLiteral("00"));
    QVERIFY(driver.runButtonsEnabled());
    QCOMPARE(answerer.seen, QStringList());
}

void TestLoadAction::errorsLeaveAnEmptyMemory_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");

    QTest::newRow("undefined operand label")
        << "\tINP\n\tLDA\tnowhere\n\tHLT"
        << "Name <NOWHERE> not found.[instuction: LDA\tNOWHERE]\n";
    QTest::newRow("undefined label in a labelled line") << "l lda nowhere"
                                                        << "Name <NOWHERE> not found.";
    QTest::newRow("two names") << "foo bar"
                               << "Error: instuction is invalid <FOO BAR>.";
    QTest::newRow("lone name") << "loop"
                               << "Error: invalid instruction <LOOP>.\n";
    QTest::newRow("too many fields") << "LDA X ; NOTE"
                                     << "Error: Invalid instruction <LDA X ; NOTE>.\n";
    QTest::newRow("blank-only line") << "HLT\n \t \nHLT"
                                     << "Error: Invalid instruction <>.\n";
    QTest::newRow("101 lines") << numberedProgram(101)
                               << "Error: the program has 101 lines, but the memory holds at most "
                                  "100.";
}

void TestLoadAction::errorsLeaveAnEmptyMemory()
{
    QFETCH(QString, source);
    QFETCH(QString, message);

    WindowDriver driver;
    ModalAnswerer answerer;
    driver.chooseSample(5);
    driver.load();
    QCOMPARE(driver.cell(40), QStringLiteral("0"));

    driver.setProgram(source);
    answerer.press();
    driver.load();

    QCOMPARE(answerer.seen, QStringList{message});
    QCOMPARE(driver.cells(), QStringList(100, QStringLiteral("00")));
    for (const char *name : {"lblPC", "lblOpcode", "lblAddress", "lblAccumulator", "lblFLG"})
        QCOMPARE(driver.label(name), QStringLiteral("00"));
    QCOMPARE(driver.input(), QString());
    QCOMPARE(driver.output(), QString());
    QCOMPARE(driver.find<QTextEdit>("txtProgram")->toPlainText(), source);
    QVERIFY(driver.runButtonsEnabled());
}

void TestLoadAction::failedLoadAtStartKeepsRunDisabled()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QStringLiteral("FOO BAR"));
    answerer.press();
    driver.load();
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY(!driver.find<QPushButton>("btnRunProgram")->isEnabled());
    QVERIFY(!driver.find<QPushButton>("btnRunCPU")->isEnabled());
    QVERIFY(!driver.find<QPushButton>("btnRunStepCPU")->isEnabled());
}

void TestLoadAction::failedLoadAfterSuccessRunsIntoEmptyCell()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.load();
    driver.setProgram(QStringLiteral("LOOP"));
    answerer.press();
    driver.load();
    answerer.press();
    driver.run();
    QCOMPARE(answerer.seen, (QStringList{QStringLiteral("Error: invalid instruction <LOOP>.\n"),
                                         QStringLiteral("invalid argument <00>.")}));
    QCOMPARE(driver.label("lblPC"), QStringLiteral("1"));
}

void TestLoadAction::emptyEditorLoads()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(QString());
    driver.load();
    QCOMPARE(answerer.seen, QStringList());
    QCOMPARE(driver.cells(), QStringList(100, QStringLiteral("00")));
    QVERIFY(driver.runButtonsEnabled());
}

void TestLoadAction::loadingTwiceGivesTheSameTable()
{
    WindowDriver driver;
    driver.chooseSample(4);
    driver.load();
    const QStringList once = driver.cells();
    driver.load();
    QCOMPARE(driver.cells(), once);
}

void TestLoadAction::loadClearsWhatARunLeft()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.load();
    answerer.typeEach({QStringLiteral("3"), QStringLiteral("4")});
    driver.run();
    QCOMPARE(driver.output(), QStringLiteral("7\n"));
    QCOMPARE(driver.cell(6), QStringLiteral("3"));

    driver.load();
    QCOMPARE(driver.cell(6), QStringLiteral("0"));
    for (const char *name : {"lblPC", "lblOpcode", "lblAddress", "lblAccumulator", "lblFLG"})
        QCOMPARE(driver.label(name), QStringLiteral("00"));
    QCOMPARE(driver.input(), QString());
    QCOMPARE(driver.output(), QString());
}

void TestLoadAction::hundredLinesFillTheLastCell()
{
    WindowDriver driver;
    ModalAnswerer answerer;
    driver.setProgram(numberedProgram(100));
    driver.load();
    QCOMPARE(answerer.seen, QStringList());
    QCOMPARE(driver.cell(0), QStringLiteral("0"));
    QCOMPARE(driver.table()->item(9, 9)->text(), QStringLiteral("99"));
}

QTEST_MAIN(TestLoadAction)
#include "tst_load_action.moc"
