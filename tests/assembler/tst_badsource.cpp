// Program texts that are hard on the assembler: NUL characters, carriage
// returns, text that was not valid UTF-8, white space from outside ASCII,
// sources at and past the 100-line limit, and very long lines. Each gives an
// exact image or an exact message.
#include "assembler/assembler.h"

#include <QTest>

namespace
{

// The image text, or the message the assembly was refused with.
QString outcome(const QString &source)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        return assembler.assemble(source);
    } catch (const QString &message) {
        return message;
    }
}

QString lines(const QString &line, int count)
{
    QString text;
    for (int k = 0; k < count; ++k)
        text += line + QLatin1Char('\n');
    return text;
}

QString invalidInstruction(const QString &line)
{
    return "Error: invalid instruction <" + line + ">.\n";
}

const QString kTooLong101 =
    QStringLiteral("Error: the program has 101 lines, but the memory holds at most 100.");

} // namespace

class TestBadSource : public QObject
{
    Q_OBJECT

private slots:
    void sources_data();
    void sources();
    void veryLongLines_data();
    void veryLongLines();
};

void TestBadSource::sources_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");

    // NUL is an ordinary character: it separates nothing.
    QTest::newRow("NUL between fields")
        << QStringLiteral("LDA\000X\nX DAT 3") << invalidInstruction(QStringLiteral("LDA\000X"));
    QTest::newRow("NUL alone on a line")
        << QStringLiteral("HLT\n\000\nHLT") << invalidInstruction(QStringLiteral("\000"));
    QTest::newRow("NUL as a label") << QStringLiteral("\000 DAT 5\nLDA \000") << "5\n0600\n";

    // Only a line feed ends a line; a carriage return is white space.
    QTest::newRow("CRLF line ends") << "\tLDA\tX\r\nX\tDAT\t3\r\n"
                                    << "0601\n3\n";
    QTest::newRow("CR between fields") << "LDA\rX\nX DAT 3"
                                       << "0601\n3\n";
    QTest::newRow("CR alone does not end a line") << "HLT\rHLT"
                                                  << "Error: instuction is invalid <HLT\rHLT>.";
    QTest::newRow("blank CRLF line is an empty line") << "INP\r\n\r\nHLT\r\n"
                                                      << "Error: Invalid instruction <>.\n";

    // Bytes that were no UTF-8 arrive as replacement characters.
    QTest::newRow("undefined replacement character")
        << QString::fromUtf8("LDA \xff\nX DAT 3")
        << QString::fromUtf8("Name <\xef\xbf\xbd> not found.[instuction: LDA \xef\xbf\xbd]\n");
    QTest::newRow("two bad bytes make the same label")
        << QString::fromUtf8("\xff DAT 5\nLDA \xfe") << "5\n0600\n";
    // A text holding an unpaired surrogate is no valid UTF-16, and the
    // white-space pattern matches nothing in it: its line stays one field.
    QTest::newRow("unpaired surrogate keeps the line whole")
        << QStringLiteral("\xd800 DAT 5\nLDA \xd800")
        << invalidInstruction(QStringLiteral("\xd800 DAT 5"));
    QTest::newRow("paired surrogates in a label")
        << QStringLiteral("\U0001F600 DAT 5\nLDA \U0001F600") << "5\n0600\n";

    // Trimming knows all of Unicode's white space; fields are cut at ASCII
    // white space only.
    QTest::newRow("no-break space around a line") << QStringLiteral("\u00a0HLT\u00a0") << "000\n";
    QTest::newRow("no-break space between fields")
        << QStringLiteral("LDA\u00a0X\nX DAT 3")
        << invalidInstruction(QStringLiteral("LDA\u00a0X"));
    QTest::newRow("ideographic space around a line")
        << QStringLiteral("\u3000LDA X\u3000\nX DAT 3") << "0601\n3\n";
    QTest::newRow("ideographic space between fields")
        << QStringLiteral("LDA\u3000X\nX DAT 3")
        << invalidInstruction(QStringLiteral("LDA\u3000X"));
    QTest::newRow("line separator does not end a line")
        << QStringLiteral("HLT\u2028HLT") << invalidInstruction(QStringLiteral("HLT\u2028HLT"));
    QTest::newRow("upper case longer than the label")
        << QStringLiteral("stra\u00dfe DAT 5\nLDA STRASSE") << "5\n0600\n";

    // The memory has 100 cells; a longer program is refused as a whole.
    QTest::newRow("100 lines") << lines("HLT", 100) << lines("000", 100);
    QTest::newRow("100 lines and blank lines") << "\n\n" + lines("HLT\n", 100) << lines("000", 100);
    QTest::newRow("101 lines") << lines("HLT", 101) << kTooLong101;
    QTest::newRow("101st line of blanks only") << lines("HLT", 100) + " \t" << kTooLong101;
    QTest::newRow("101st line bad as well") << lines("HLT", 100) + "FOO BAR" << kTooLong101;
    QTest::newRow("5000 lines")
        << lines("HLT", 5000)
        << "Error: the program has 5000 lines, but the memory holds at most 100.";
    QTest::newRow("a million line feeds") << QString(1000000, QLatin1Char('\n')) << "";
}

void TestBadSource::sources()
{
    QFETCH(QString, source);
    QFETCH(QString, result);

    QCOMPARE(outcome(source), result);
}

void TestBadSource::veryLongLines_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");

    const QString name(100000, QLatin1Char('N'));
    QTest::newRow("label of 100000 characters") << name + " DAT 7\nLDA " + name << "7\n0600\n";
    QTest::newRow("data value of 100000 digits")
        << "X DAT " + QString(100000, QLatin1Char('7')) << "0\n";
    QTest::newRow("name of 100000 characters alone") << name.toLower() << invalidInstruction(name);
    const QString manyFields = lines("HLT", 50000).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QTest::newRow("50000 fields") << manyFields
                                  << "Error: Invalid instruction <" + manyFields.trimmed() + ">.\n";
}

void TestBadSource::veryLongLines()
{
    QFETCH(QString, source);
    QFETCH(QString, result);

    QCOMPARE(outcome(source), result);
}

QTEST_APPLESS_MAIN(TestBadSource)
#include "tst_badsource.moc"
