#include "assembler/assembler.h"

#include <QtTest>

namespace
{

QString repeatedLine(const QString &line, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += line + QLatin1Char('\n');
    return text;
}

QList<QString> linesIn(const Assembler &assembler)
{
    return QList<QString>(assembler.lines.begin(), assembler.lines.begin() + assembler.lineCount);
}

} // namespace

class TestLoadLines : public QObject
{
    Q_OBJECT

private slots:
    void storedLines_data();
    void storedLines();
    void appendsToTheStore();
    void lineLimit_data();
    void lineLimit();
};

void TestLoadLines::storedLines_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<QString>>("lines");

    QTest::newRow("adding sample")
        << "\tINP\n\tSTA\tnum1\n\tINP\n\tADD\tnum1\n\tOUT\n\tHLT\nnum1\tDAT"
        << QList<QString>{"INP", "STA\tNUM1", "INP", "ADD\tNUM1", "OUT", "HLT", "NUM1\tDAT"};
    QTest::newRow("carriage returns") << "\tinp\r\n\tout\r\n" << QList<QString>{"INP", "OUT"};
    QTest::newRow("inner white space kept") << "  l  lda\t x  " << QList<QString>{"L  LDA\t X"};
    QTest::newRow("empty lines dropped") << "\n\nINP\n\n\nHLT\n" << QList<QString>{"INP", "HLT"};
    QTest::newRow("blank-only line kept empty")
        << "INP\n \t \nHLT" << QList<QString>{"INP", "", "HLT"};
    QTest::newRow("empty source") << "" << QList<QString>{};
}

void TestLoadLines::storedLines()
{
    QFETCH(QString, source);
    QFETCH(QList<QString>, lines);

    Assembler assembler(20);
    QVERIFY(assembler.loadLines(source));
    QCOMPARE(linesIn(assembler), lines);
}

void TestLoadLines::appendsToTheStore()
{
    Assembler assembler(20);
    assembler.loadLines("INP\nOUT");
    assembler.loadLines("hlt");
    QCOMPARE(linesIn(assembler), (QList<QString>{"INP", "OUT", "HLT"}));
}

void TestLoadLines::lineLimit_data()
{
    QTest::addColumn<int>("alreadyStored");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("refusal"); // empty when the lines are accepted
    QTest::addColumn<int>("lineCount");

    const QString hundred = repeatedLine("HLT", 100);
    QTest::newRow("100 lines") << 0 << hundred << "" << 100;
    QTest::newRow("100 lines, trailing empty lines") << 0 << hundred + "\n\n"
                                                     << "" << 100;
    QTest::newRow("101 lines")
        << 0 << hundred + "HLT"
        << "Error: the program has 101 lines, but the memory holds at most 100." << 0;
    QTest::newRow("100 lines and a blank-only line")
        << 0 << hundred + " \t"
        << "Error: the program has 101 lines, but the memory holds at most 100." << 0;
    QTest::newRow("250 lines")
        << 0 << repeatedLine("HLT", 250)
        << "Error: the program has 250 lines, but the memory holds at most 100." << 0;
    QTest::newRow("60 stored, 40 more") << 60 << repeatedLine("HLT", 40) << "" << 100;
    QTest::newRow("60 stored, 41 more")
        << 60 << repeatedLine("HLT", 41)
        << "Error: the program has 101 lines, but the memory holds at most 100." << 60;
}

void TestLoadLines::lineLimit()
{
    QFETCH(int, alreadyStored);
    QFETCH(QString, source);
    QFETCH(QString, refusal);
    QFETCH(int, lineCount);

    Assembler assembler(20);
    assembler.loadLines(repeatedLine("OUT", alreadyStored));
    QString message;
    try {
        assembler.loadLines(source);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, refusal);
    QCOMPARE(assembler.lineCount, lineCount);
    // A refused source stores nothing, not even its first lines.
    for (int k = alreadyStored; k < 100; ++k)
        QCOMPARE(assembler.lines[std::size_t(k)], k < lineCount ? QString("HLT") : QString());
}

QTEST_APPLESS_MAIN(TestLoadLines)
#include "tst_loadlines.moc"
