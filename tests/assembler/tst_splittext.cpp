#include "assembler/splittext.h"

#include <QtTest>

class TestSplitText : public QObject
{
    Q_OBJECT

private slots:
    void split_data();
    void split();
};

void TestSplitText::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QList<QString>>("parts");

    // Empty separator: runs of white space separate fields.
    QTest::newRow("label, mnemonic, operand") << "loop\tLDA\tnumber"
                                              << "" << QList<QString>{"loop", "LDA", "number"};
    QTest::newRow("tab then blank") << "\tMUL NUM1"
                                    << "" << QList<QString>{"MUL", "NUM1"};
    QTest::newRow("runs and ends") << "  a \t\t b\t "
                                   << "" << QList<QString>{"a", "b"};
    QTest::newRow("five fields") << "a b c d e"
                                 << "" << QList<QString>{"a", "b", "c", "d", "e"};
    QTest::newRow("empty text") << ""
                                << "" << QList<QString>{};
    QTest::newRow("only blanks and tabs") << " \t  \t"
                                          << "" << QList<QString>{};
    QTest::newRow("null separator") << "a b" << QString() << QList<QString>{"a", "b"};
    QTest::newRow("no-break space is no field separator")
        << QString::fromUtf8("A\u00a0B C") << ""
        << QList<QString>{QString::fromUtf8("A\u00a0B"), "C"};

    // Any other separator: exact occurrences, empty parts dropped, parts kept as they are.
    QTest::newRow("blank lines and final line feed") << "\n\na\n\n\nb\n"
                                                     << "\n"
                                                     << QList<QString>{"a", "b"};
    QTest::newRow("parts not trimmed") << "a \r\n b"
                                       << "\n"
                                       << QList<QString>{"a \r", " b"};
    QTest::newRow("blank-only line survives") << "a\n \t\nb"
                                              << "\n"
                                              << QList<QString>{"a", " \t", "b"};
    QTest::newRow("case-sensitive separator") << "aXbxc"
                                              << "X" << QList<QString>{"a", "bxc"};
    QTest::newRow("image words") << "1201\n0506\n000\n"
                                 << "\n"
                                 << QList<QString>{"1201", "0506", "000"};
}

void TestSplitText::split()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QList<QString>, parts);
    QCOMPARE(splitText(text, separator), parts);
}

QTEST_APPLESS_MAIN(TestSplitText)
#include "tst_splittext.moc"
