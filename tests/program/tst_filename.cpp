// File names from a command line: any bytes open the very file, and are shown
// with every byte that is not text, and every control character, escaped.

#include "program/filename.h"

#include <QHash>
#include <QTest>

class TestFileName : public QObject
{
    Q_OBJECT

private slots:
    void bytesComeBackAsGiven_data();
    void bytesComeBackAsGiven();
    void listedNamesStayApart();
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
    QTest::newRow("separators and direction controls")
        << QByteArray("a\xe2\x80\xa8"
                      "b\xe2\x80\xa9\xd8\x9c\xe2\x80\x8f\xe2\x80\xaetxt.exe\xe2\x81\xa9")
        << QStringLiteral("a\\u2028b\\u2029\\u061c\\u200f\\u202etxt.exe\\u2069");
}

void TestFileName::bytesComeBackAsGiven()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString text = program::argumentText(bytes.constData());
    QCOMPARE(program::argumentBytes(text), bytes);
    QCOMPARE(program::shownName(text), shown);
}

// Every name of up to four characters, each a character that is escaped or
// that an escape is written with: no two are listed alike, and none listed
// holds a character that ends a line or turns the text around.
void TestFileName::listedNamesStayApart()
{
    const QString alphabet = QStringLiteral("\\xu0a2\n\u2028\u202e") + QChar(0xdce9);
    QStringList names{QString()};
    for (qsizetype from = 0; names[from].size() < 4; ++from) {
        for (const QChar c : alphabet)
            names.append(names[from] + c);
    }
    QHash<QString, QString> listed;
    for (const QString &name : std::as_const(names)) {
        const QString shown = program::unambiguousName(name);
        QVERIFY2(!listed.contains(shown), qPrintable(shown));
        listed.insert(shown, name);
        for (const QChar c : shown)
            QVERIFY(c.unicode() >= 0x20 && c.unicode() < 0x7f);
    }
    QCOMPARE(listed.size(), names.size());
}

QTEST_APPLESS_MAIN(TestFileName)
#include "tst_filename.moc"
