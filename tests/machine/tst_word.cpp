// Operation codes and their mnemonics, which the run's error texts quote, and
// where an address sits in the memory table.
#include "machine/word.h"

#include <QTest>

#include <limits>

class TestWord : public QObject
{
    Q_OBJECT

private slots:
    void mnemonics_data();
    void mnemonics();
    void layout_data();
    void layout();
    void addresses_data();
    void addresses();
};

void TestWord::mnemonics_data()
{
    QTest::addColumn<int>("opcode");
    QTest::addColumn<QString>("mnemonic");

    QTest::newRow("0") << 0 << "HLT";
    QTest::newRow("1") << 1 << "ADD";
    QTest::newRow("2") << 2 << "SUB";
    QTest::newRow("3") << 3 << "MUL";
    QTest::newRow("4") << 4 << "DIV";
    QTest::newRow("5") << 5 << "STA";
    QTest::newRow("6") << 6 << "LDA";
    QTest::newRow("7") << 7 << "BRA";
    QTest::newRow("8") << 8 << "BRZ";
    QTest::newRow("9") << 9 << "BRP";
    QTest::newRow("10") << 10 << "BRN";
    QTest::newRow("11") << 11 << "BRG";
    QTest::newRow("1201") << 1201 << "INP";
    QTest::newRow("1202") << 1202 << "OUT";
    // Codes that data words and badly formed words decode to.
    QTest::newRow("12, INP written with an operand") << 12 << "";
    QTest::newRow("-1, DAT code text") << -1 << "";
    QTest::newRow("99") << 99 << "";
    QTest::newRow("1200") << 1200 << "";
    QTest::newRow("1203") << 1203 << "";
    QTest::newRow("smallest int") << std::numeric_limits<int>::min() << "";
    QTest::newRow("largest int") << std::numeric_limits<int>::max() << "";
}

void TestWord::mnemonics()
{
    QFETCH(int, opcode);
    QFETCH(QString, mnemonic);

    QCOMPARE(QString(machine::mnemonicOf(opcode)), mnemonic);
}

void TestWord::layout_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("first") << 0 << 0 << 0;
    QTest::newRow("end of row 0") << 9 << 0 << 9;
    QTest::newRow("start of row 1") << 10 << 1 << 0;
    QTest::newRow("row 0, column 6") << 6 << 0 << 6;
    QTest::newRow("middle") << 45 << 4 << 5;
    QTest::newRow("last") << 99 << 9 << 9;
}

void TestWord::layout()
{
    QFETCH(int, address);
    QFETCH(int, row);
    QFETCH(int, column);

    QCOMPARE(machine::rowOf(address), row);
    QCOMPARE(machine::columnOf(address), column);
    QCOMPARE(machine::addressAt(row, column), address);
}

void TestWord::addresses_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<bool>("isAddress");

    QTest::newRow("0") << qint64(0) << true;
    QTest::newRow("99") << qint64(99) << true;
    QTest::newRow("100") << qint64(100) << false;
    QTest::newRow("-1") << qint64(-1) << false;
    QTest::newRow("smallest int") << qint64(std::numeric_limits<int>::min()) << false;
    QTest::newRow("wider than int") << (qint64(1) << 32) << false;
}

void TestWord::addresses()
{
    QFETCH(qint64, value);
    QFETCH(bool, isAddress);

    QCOMPARE(machine::isAddress(value), isAddress);
}

QTEST_APPLESS_MAIN(TestWord)
#include "tst_word.moc"
