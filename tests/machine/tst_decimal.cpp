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

class TestDecimal : public QObject
{
    Q_OBJECT

private slots:
    void parseDecimal_data();
    void parseDecimal();
    void typedInput_data();
    void typedInput();
};

void TestDecimal::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("value");

    const int ok = Decimal::Ok;
    const int none = Decimal::NoDigits;
    const int range = Decimal::OutOfRange;
    QTest::newRow("plain") << "42" << ok << 42;
    QTest::newRow("zero") << "0" << ok << 0;
    QTest::newRow("leading zeros") << "007" << ok << 7;
    QTest::newRow("instruction word") << "0105" << ok << 105;
    QTest::newRow("minus") << "-7" << ok << -7;
    QTest::newRow("plus") << "+7" << ok << 7;
    QTest::newRow("leading blank before sign") << " -5" << ok << -5;
    QTest::newRow("every C white space") << " \t\n\v\f\r9" << ok << 9;
    QTest::newRow("trailing text ignored") << "12abc" << ok << 12;
    QTest::newRow("stops at inner blank") << "1 2" << ok << 1;
    QTest::newRow("largest") << "2147483647" << ok << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << ok << int(-2147483647 - 1);
    QTest::newRow("many leading zeros") << "000000000000000000000042" << ok << 42;

    QTest::newRow("empty") << "" << none << 0;
    QTest::newRow("letters") << "abc" << none << 0;
    QTest::newRow("empty cell is a number") << "00" << ok << 0;
    QTest::newRow("sign alone") << "-" << none << 0;
    QTest::newRow("two signs") << "+-5" << none << 0;
    QTest::newRow("blank after sign") << "- 5" << none << 0;
    QTest::newRow("trailing blanks only") << "   " << none << 0;
    QTest::newRow("no-break space is not skipped") << QStringLiteral("\u00a012") << none << 0;
    QTest::newRow("only ASCII digits count") << QStringLiteral("\u0661\u0662") << none << 0;

    QTest::newRow("one past largest") << "2147483648" << range << 0;
    QTest::newRow("one below smallest") << "-2147483649" << range << 0;
    QTest::newRow("far too long") << "99999999999999999999999999" << range << 0;
    QTest::newRow("too long then text") << "-99999999999x" << range << 0;

    // Text no user should type but some will paste: NUL characters, white
    // space and digits from outside ASCII, unpaired surrogates, the
    // replacement character of a bad UTF-8 byte, very long numbers.
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

void TestDecimal::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(int, status);
    QFETCH(int, value);

    const Decimal result = machine::parseDecimal(text);
    QCOMPARE(int(result.status), status);
    if (result.ok())
        QCOMPARE(result.value, value);
}

void TestDecimal::typedInput_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");

    QTest::newRow("number") << "42" << int(TypedInput::Accepted) << 42;
    QTest::newRow("number then text") << "12abc" << int(TypedInput::Accepted) << 12;
    QTest::newRow("blank and sign") << " -5" << int(TypedInput::Accepted) << -5;
    QTest::newRow("nothing typed") << "" << int(TypedInput::Empty) << 0;
    QTest::newRow("blank only") << " " << int(TypedInput::Invalid) << 0;
    QTest::newRow("text") << "abc" << int(TypedInput::Invalid) << 0;
    QTest::newRow("too large") << "2147483648" << int(TypedInput::Invalid) << 0;
    QTest::newRow("too small") << "-2147483649" << int(TypedInput::Invalid) << 0;
    QTest::newRow("NUL alone") << QStringLiteral("\000") << int(TypedInput::Invalid) << 0;
    QTest::newRow("no-break space alone")
        << QStringLiteral("\u00a0") << int(TypedInput::Invalid) << 0;
    QTest::newRow("no-break space before a number")
        << QStringLiteral("\u00a042") << int(TypedInput::Invalid) << 0;
    QTest::newRow("ideographic space after a number")
        << QStringLiteral("42\u3000") << int(TypedInput::Accepted) << 42;
    QTest::newRow("full-width digits")
        << QStringLiteral("\uff14\uff12") << int(TypedInput::Invalid) << 0;
    QTest::newRow("Arabic-Indic digits")
        << QStringLiteral("\u0664\u0662") << int(TypedInput::Invalid) << 0;
    QTest::newRow("pasted with line end") << "\n-42\r\n" << int(TypedInput::Accepted) << -42;
    QTest::newRow("a very long number") << repeated('7', 5000) << int(TypedInput::Invalid) << 0;
}

void TestDecimal::typedInput()
{
    QFETCH(QString, typed);
    QFETCH(int, kind);
    QFETCH(int, value);

    const TypedInput input = machine::readTypedInput(typed);
    QCOMPARE(int(input.kind), kind);
    QCOMPARE(input.value, value);
}

QTEST_APPLESS_MAIN(TestDecimal)
#include "tst_decimal.moc"
