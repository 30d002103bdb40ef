#include "assembler/assembler.h"

#include <QtTest>

class TestAssemblerObject : public QObject
{
    Q_OBJECT

private slots:
    void freshObject();
    void codeOf_data();
    void codeOf();
};

void TestAssemblerObject::freshObject()
{
    const Assembler assembler(20);
    QCOMPARE(assembler.lineCount, 0);
    QCOMPARE(assembler.symbolCount, 0);
    QCOMPARE(assembler.lines.size(), std::size_t(100));
    for (const QString &line : assembler.lines)
        QVERIFY(line.isEmpty());
    QCOMPARE(assembler.opcodes.size(), std::size_t(15));
}

void TestAssemblerObject::codeOf_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("mnemonic");

    const char *const table[][2] = {
        {"ADD", "01"}, {"SUB", "02"},   {"MUL", "03"},   {"DIV", "04"},  {"STA", "05"},
        {"LDA", "06"}, {"BRA", "07"},   {"BRZ", "08"},   {"BRP", "09"},  {"BRN", "10"},
        {"BRG", "11"}, {"INP", "1201"}, {"OUT", "1202"}, {"HLT", "000"}, {"DAT", "-1"},
    };
    for (const auto &[word, code] : table)
        QTest::newRow(word) << word << code << true;

    QTest::newRow("lower case") << "lda"
                                << "-2" << false;
    QTest::newRow("mixed case") << "Add"
                                << "-2" << false;
    QTest::newRow("blank in front") << " LDA"
                                    << "-2" << false;
    QTest::newRow("blank behind") << "LDA "
                                  << "-2" << false;
    QTest::newRow("other three letters") << "ABC"
                                         << "-2" << false;
    QTest::newRow("a name") << "NUM1"
                            << "-2" << false;
    QTest::newRow("a code text") << "01"
                                 << "-2" << false;
    QTest::newRow("empty") << ""
                           << "-2" << false;
}

void TestAssemblerObject::codeOf()
{
    QFETCH(QString, word);
    QFETCH(QString, code);
    QFETCH(bool, mnemonic);

    const Assembler assembler(20);
    QCOMPARE(assembler.codeOf(word), code);
    QCOMPARE(assembler.isMnemonic(word), mnemonic);
}

QTEST_APPLESS_MAIN(TestAssemblerObject)
#include "tst_assemblerobject.moc"
