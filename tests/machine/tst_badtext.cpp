// Decimal conversion and typed input on text no user should type but some
// will paste: NUL characters, white space and digits from outside ASCII,
// unpaired surrogates, the replacement character of a bad UTF-8 byte, and
// numbers far longer than any 32-bit value.
#include "machine/decimal.h"
#include "machine/typedinput.h"

#include <QTest>

using machine::Decimal;
using machine::TypedInput;

namespace
{

QString repeated(QChar c, int count)
{
    return QString(count, c);
}

} // namespace

class TestBadText : public QObject
{
    Q_OBJECT

private slots:
    void decimal_data();
    void decimal();
    void typed_data();
    void typed();
};

void TestBadText::decimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("value");

    const int ok = Decimal::Ok;
    const int none = Decimal::NoDigits;
    const int range = Decimal::OutOfRange;

    QTest::newRow("NUL before digits") << QStringLiteral("\0005") << none << 0;
    QTest::newRow("NUL ends the digits") << QStringLiteral("12\00034") << ok << 12;
    QTest::newRow("NUL after sign") << QStringLiteral("-\0007") << none << 0;
    QTest::newRow("ideographic space is not skipped") << QStringLiteral("\u30005") << none << 0;
    QTest::newRow("next line is not skipped") << QStringLiteral("\u00855") << none << 0;
    QTest::newRow("line separator is not skipped") << QStringLiteral("\u20285") << none << 0;
    QTest::newRow("full-width digits") << QStringLiteral("\uff11\uff12") << none << 0;
    QTest::newRow("full-width digit ends the number") << QStringLiteral("1\uff12") << ok << 1;
    QTest::newRow("full-width minus") << QStringLiteral("\uff0d5") << none << 0;
    QTest::newRow("unpaired high surrogate first") << QStringLiteral("\xd800"
                                                                     "5")
                                                   << none << 0;
    QTest::newRow("unpaired low surrogate after") << QStringLiteral("5\xdc00"
                                                                    "7")
                                                  << ok << 5;
    QTest::newRow("replacement character") << QString::fromUtf8("5\xff"
                                                                "7")
                                           << ok << 5;
    QTest::newRow("minus zero") << "-0" << ok << 0;
    QTest::newRow("plus zero") << "+0" << ok << 0;
    QTest::newRow("smallest with text after") << " \t-2147483648xyz" << ok << int(-2147483647 - 1);
    QTest::newRow("100000 zeros then 5") << repeated('0', 100000) + "5" << ok << 5;
    QTest::newRow("100000 nines") << repeated('9', 100000) << range << 0;
    QTest::newRow("zeros then one past largest") << repeated('0', 50) + "2147483648" << range << 0;
    QTest::newRow("zeros then smallest")
        << "-" + repeated('0', 50) + "2147483648" << ok << int(-2147483647 - 1);
    QTest::newRow("100000 blanks then 7") << repeated(' ', 100000) + "7" << ok << 7;
}

void TestBadText::decimal()
{
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(int, value);

    const Decimal number = machine::parseDecimal(text);
    QCOMPARE(int(number.status), status);
    if (number.ok())
        QCOMPARE(number.value, value);
}

void TestBadText::typed_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");

    const int accepted = TypedInput::Accepted;
    const int invalid = TypedInput::Invalid;

    QTest::newRow("NUL alone") << QStringLiteral("\000") << invalid << 0;
    QTest::newRow("no-break space alone") << QStringLiteral("\u00a0") << invalid << 0;
    QTest::newRow("no-break space before a number") << QStringLiteral("\u00a042") << invalid << 0;
    QTest::newRow("ideographic space after a number")
        << QStringLiteral("42\u3000") << accepted << 42;
    QTest::newRow("full-width digits") << QStringLiteral("\uff14\uff12") << invalid << 0;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("\u0664\u0662") << invalid << 0;
    QTest::newRow("pasted with line end") << "\n-42\r\n" << accepted << -42;
    QTest::newRow("a very long number") << repeated('7', 5000) << invalid << 0;
}

void TestBadText::typed()
{
    QFETCH(QString, typed);
    QFETCH(int, kind);
    QFETCH(int, value);

    const TypedInput input = machine::readTypedInput(typed);
    QCOMPARE(int(input.kind), kind);
    QCOMPARE(input.value, value);
}

QTEST_APPLESS_MAIN(TestBadText)
#include "tst_badtext.moc"
