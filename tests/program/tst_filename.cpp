// File names from a command line: any bytes open the very file, and are shown
// with every byte that is not text, and every control character, escaped.

#include "program/filename.h"

#include <QTest>

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void bytesComeBackAsGiven_data();
    void bytesComeBackAsGiven();
};

void TestFileName::bytesComeBackAsGiven_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << QByteArray("prog.txt") << QStringLiteral("prog.txt");
    QTest::newRow("UTF-8 of 2, 3 and 4 bytes")
        << QByteArray("caf\xc3\xa9-\xe2\x88\x92-\xf0\x9f\x98\x80")
        << QStringLiteral("caf\u00e9-\u2212-\U0001F600");
    QTest::newRow("Latin-1") << QByteArray("caf\xe9.txt") << QStringLiteral("caf\\xe9.txt");
    QTest::newRow("a sequence cut short at the end")
        << QByteArray("a\xe2\x88") << QStringLiteral("a\\xe2\\x88");
    QTest::newRow("an overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\\xc0\\xaf");
    QTest::newRow("a surrogate written as UTF-8")
        << QByteArray("\xed\xa0\x80") << QStringLiteral("\\xed\\xa0\\x80");
    QTest::newRow("past U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\\xf4\\x90\\x80\\x80");
    QTest::newRow("control characters, C0 and C1")
        << QByteArray("a\tb\x1b[0m\x7f\xc2\x85") << QStringLiteral("a\\x09b\\x1b[0m\\x7f\\x85");
    QTest::newRow("a backslash stays as it is") << QByteArray("a\\xe9") << QStringLiteral("a\\xe9");
}

void TestFileName::bytesComeBackAsGiven()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString text = program::argumentText(bytes.constData());
    QCOMPARE(program::argumentBytes(text), bytes);
    QCOMPARE(program::shownName(text), shown);
}

QTEST_APPLESS_MAIN(TestFileName)
#include "tst_filename.moc"
