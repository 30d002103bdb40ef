#include "cpu/decode.h"

#include <QTest>

using machine::Decimal;
using machine::Decoded;

class TestDecode : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void fails_data();
    void fails();
};

void TestDecode::decodes_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("opcode");
    QTest::addColumn<int>("address");

    QTest::newRow("halt") << "000" << 0 << 0;
    QTest::newRow("input") << "1201" << 1201 << 0;
    QTest::newRow("output") << "1202" << 1202 << 0;
    QTest::newRow("ADD 5, two-digit address") << "0105" << 1 << 5;
    QTest::newRow("ADD 5, plain address") << "015" << 1 << 5;
    QTest::newRow("BRA 99") << "0799" << 7 << 99;
    QTest::newRow("four zeros halt") << "0000" << 0 << 0;
    QTest::newRow("data word 1234") << "1234" << 12 << 34;
    QTest::newRow("data word 100") << "100" << 10 << 0;
    QTest::newRow("negative data word") << "-12" << -1 << 2;
    QTest::newRow("INP with operand") << "120107" << 12 << 107;
    QTest::newRow("HLT with operand") << "00007" << 0 << 7;
    QTest::newRow("DAT with operand") << "-107" << -1 << 7;
    QTest::newRow("address text after digits") << "01 5x" << 1 << 5;
    QTest::newRow("whole words are exact") << " 1201" << 1 << 201;
}

void TestDecode::decodes()
{
    QFETCH(QString, word);
    QFETCH(int, opcode);
    QFETCH(int, address);

    const Decoded decoded = machine::decodeWord(word);
    QVERIFY(decoded.ok());
    QCOMPARE(decoded.opcode, opcode);
    QCOMPARE(decoded.address, address);
}

void TestDecode::fails_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty cell") << "00"
                                << "invalid argument <00>.";
    QTest::newRow("ADD without operand") << "01"
                                         << "invalid argument <01>.";
    QTest::newRow("DAT code text") << "-1"
                                   << "invalid argument <-1>.";
    QTest::newRow("empty text") << ""
                                << "invalid argument <>.";
    QTest::newRow("single digit data word") << "0"
                                            << "invalid argument <0>.";
    QTest::newRow("single negative digit") << "-5"
                                           << "invalid argument <-5>.";
    QTest::newRow("letters") << "AB12"
                             << "invalid argument <AB12>.";
    QTest::newRow("address part without digits") << "01AB"
                                                 << "invalid argument <01AB>.";
    QTest::newRow("address too large") << "0199999999999"
                                       << "number out of range <0199999999999>.";
    QTest::newRow("address too small") << "06-2147483649"
                                       << "number out of range <06-2147483649>.";
}

void TestDecode::fails()
{
    QFETCH(QString, word);
    QFETCH(QString, message);

    const Decoded decoded = machine::decodeWord(word);
    QVERIFY(!decoded.ok());
    QCOMPARE(machine::decodeFailureMessage(word, decoded.status), message);
}

QTEST_APPLESS_MAIN(TestDecode)
#include "tst_decode.moc"
