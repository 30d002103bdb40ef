#include "assembler/assembler.h"
#include "assembler/splittext.h"

#include <QtTest>

namespace
{

// The image text, or the message the assembly was refused with.
QString outcome(const QString &source)
{
    Assembler assembler(20);
    try {
        return assembler.assemble(source);
    } catch (const QString &message) {
        return message;
    }
}

// The word of line 0, or the message the assembly was refused with.
QString firstWordOrMessage(const QString &source)
{
    Assembler assembler(20);
    try {
        return splitText(assembler.assemble(source), "\n").value(0);
    } catch (const QString &message) {
        return message;
    }
}

// line at address 0, halts up to address - 1, then the definition at address.
QString withDefinitionAt(const QString &line, const QString &definition, int address)
{
    QString source = line + "\n";
    for (int k = 1; k < address; ++k)
        source += "\tHLT\n";
    return source + definition;
}

QString image(const QString &spaceSeparatedWords)
{
    return spaceSeparatedWords.split(' ').join('\n') + '\n';
}

} // namespace

class TestAssemblyPasses : public QObject
{
    Q_OBJECT

private slots:
    void singleLine_data();
    void singleLine();
    void samples_data();
    void samples();
    void workedExample();
    void images_data();
    void images();
    void firstError_data();
    void firstError();
    void hundredLines();
    void moreThanTwentyLabels();
};

void TestAssemblyPasses::singleLine_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");

    QTest::newRow("LOOP") << "LOOP"
                          << "Error: invalid instruction <LOOP>.\n";
    QTest::newRow("LDA X Y") << "LDA X Y"
                             << "Error: Invalid instruction <LDA X Y>.\n";
    QTest::newRow("LDA X ; NOTE") << "LDA X ; NOTE"
                                  << "Error: Invalid instruction <LDA X ; NOTE>.\n";
    QTest::newRow("INP OUT") << "INP OUT"
                             << "Error: instuction is invalid <INP OUT>.";
    QTest::newRow("FOO BAR") << "FOO BAR"
                             << "Error: instuction is invalid <FOO BAR>.";
    QTest::newRow("ADD DAT") << "ADD DAT"
                             << "Error: instuction is invalid <ADD DAT>.";
    QTest::newRow("LDA 5, no label 5") << "LDA 5"
                                       << "Name <5> not found.[instuction: LDA 5]\n";
    QTest::newRow("L LDA NOWHERE, undefined") << "L LDA NOWHERE"
                                              << "Name <NOWHERE> not found.";
    QTest::newRow("BRA END, END at 5") << withDefinitionAt("BRA END", "END HLT", 5) << "0705";
    QTest::newRow("LDA X, X at 7") << withDefinitionAt("LDA X", "X DAT", 7) << "0607";
    QTest::newRow("L LDA X, X at 7") << withDefinitionAt("L LDA X", "X DAT", 7) << "067";
    QTest::newRow("LDA X, X at 45") << withDefinitionAt("LDA X", "X DAT", 45) << "0645";
    QTest::newRow("L LDA X, X at 45") << withDefinitionAt("L LDA X", "X DAT", 45) << "0645";
    QTest::newRow("INP X, X at 7") << withDefinitionAt("INP X", "X DAT", 7) << "120107";
    QTest::newRow("DAT X, X at 7") << withDefinitionAt("DAT X", "X DAT", 7) << "-107";
    QTest::newRow("L LDA") << "L LDA"
                           << "06";
    QTest::newRow("L INP") << "L INP"
                           << "1201";
    QTest::newRow("X DAT") << "X DAT"
                           << "0";
    QTest::newRow("X DAT 5") << "X DAT 5"
                             << "5";
    QTest::newRow("X DAT -5") << "X DAT -5"
                              << "-5";
    QTest::newRow("X DAT 007") << "X DAT 007"
                               << "7";
    QTest::newRow("X DAT ABC") << "X DAT ABC"
                               << "0";
    QTest::newRow("DAT") << "DAT"
                         << "-1";
    QTest::newRow("ADD") << "ADD"
                         << "01";
    QTest::newRow("HLT") << "HLT"
                         << "000";
}

void TestAssemblyPasses::singleLine()
{
    QFETCH(QString, source);
    QFETCH(QString, result);
    QCOMPARE(firstWordOrMessage(source), result);
}

void TestAssemblyPasses::samples_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("image");

    QTest::newRow("Adding 2 inputs")
        << "\tINP\n\tSTA\tnum1\n\tINP\n\tADD\tnum1\n\tOUT\n\tHLT\nnum1\tDAT"
        << image("1201 0506 1201 0106 1202 000 0");
    QTest::newRow("Max of 2 inputs")
        << "\tINP\n\tSTA\tnum1\n\tINP\n\tSTA\tnum2\n\tSUB\tnum1\n\tBRP\tpos\n\tLDA\tnum1\n\tOUT\n\t"
           "BRA"
           "\texit\npos\tLDA\tnum2\n\tOUT\nexit\tHLT\nnum1\tDAT\nnum2\tDAT\n"
        << image("1201 0512 1201 0513 0212 0909 0612 1202 0711 0613 1202 000 0 0");
    QTest::newRow("Count down timer") << "\tINP\nloop\tOUT\n\tSTA\tcount\n\tSUB\tone\n\tSTA\tcount"
                                         "\n\tBRP\tloop\n\tHLT\none\tDAT\t1"
                                         "\ncount\tDAT"
                                      << image("1201 1202 0508 0207 0508 0901 000 1 0");
    QTest::newRow("Multiplying 2 inputs")
        << "\tINP\n\tSTA\tNUM1\n\tINP\n\tSTA\tNUM2\n\tMUL NUM1\n\tOUT\n\tHLT\nNUM1\tDAT\nNUM2\tDAT"
        << image("1201 0507 1201 0508 0307 1202 000 0 0");
    QTest::newRow("Tringular numbers")
        << "loop\tLDA\tnumber\n\tADD\tcounter\n\tOUT\n\tSTA\tnumber\n\tLDA\tcounter\n\tADD\tone\n\t"
           "STA"
           "\tcounter\n\tLDA\tten\n\tSUB\tcounter\n\tBRP\tloop\n\tHLT\ncounter\tDAT\t1\nnumber\tDAT"
           "\t0"
           "\none\tDAT\t1\nten\tDAT\t10"
        << image("0612 0111 1202 0512 0611 0113 0511 0614 0211 0900 000 1 0 1 10");
    QTest::newRow("Factorial of ...")
        << "\tINP\n\tSTA\tfinal\n\tBRZ\toneval\n\tSUB\tone\n\tSTA\titeration\n\tSTA\tcounter\n\tLDA"
           "\tfinal\n\tSTA\tnum\nmult\tLDA\titeration\n\tBRZ\tend\n\tSUB\tone\n\tBRZ\tend\n\tLDA\tf"
           "inal"
           "\n\tADD\tnum\n\tSTA\tfinal\n\tLDA\tcounter\n\tSUB\tone\n\tSTA\tcounter\n\tSUB\tone\n\tB"
           "RZ"
           "\tnext\n\tBRA\tmult\nnext\tLDA\tfinal\n\tSTA\tnum\n\tLDA\titeration\n\tSUB\tone\n\tSTA"
           "\titeration\n\tSTA\tcounter\n\tSUB\tone\n\tBRZ\tend\n\tBRA\tmult\nend\tLDA\tfinal\n\tOU"
           "T"
           "\n\tHLT\noneval\tLDA\tone\n\tOUT\n\tHLT\nfinal\tDAT\t0\ncounter\tDAT\t0\none\tDAT\t1"
           "\niteration\tDAT\t0\nnum\tDAT\t0"
        << image("1201 0536 0833 0238 0539 0537 0636 0540 0639 0830 0238 0830 0636 0140 0536 0637 "
                 "0238 0537 0238 0821 0708 0636 0540 0639 0238 0539 0537 0238 0830 0708 0636 1202 "
                 "000 0638 1202 000 0 0 1 0 0");
}

void TestAssemblyPasses::samples()
{
    QFETCH(QString, source);
    QFETCH(QString, image);
    QCOMPARE(outcome(source), image);
}

void TestAssemblyPasses::workedExample()
{
    Assembler assembler(20);
    const QString result = assembler.assemble("\tINP\nloop\tOUT\n\tSTA\tcount\n\tSUB\tone\n\tSTA\tc"
                                              "ount\n\tBRP\tloop\n\tHLT\none\tDAT\t1\n"
                                              "count\tDAT");
    QCOMPARE(result, image("1201 1202 0508 0207 0508 0901 000 1 0"));
    QCOMPARE(assembler.lineCount, 9);
    QCOMPARE(assembler.lines[1], QString("LOOP\tOUT"));

    // Pass 1 entered exactly the three labels, in line order.
    QCOMPARE(assembler.symbolCount, 3);
    const struct {
        const char *name;
        int address;
        int value;
        bool isData;
    } labels[] = {{"LOOP", 1, 0, false}, {"ONE", 7, 1, true}, {"COUNT", 8, 0, true}};
    for (int i = 0; i < 3; ++i) {
        const SymbolEntry &entry = assembler.symbols[std::size_t(i)];
        QCOMPARE(entry.labelName, QString(labels[i].name));
        QCOMPARE(entry.labelAddress, labels[i].address);
        QCOMPARE(entry.dataValue, labels[i].value);
        QCOMPARE(entry.isData, labels[i].isData);
    }
}

void TestAssemblyPasses::images_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("image");

    QTest::newRow("empty source") << ""
                                  << "";
    QTest::newRow("only line feeds") << "\n\n\n"
                                     << "";
    QTest::newRow("compact") << "\tLDA\tX\nX\tDAT\t3" << image("0601 3");
    QTest::newRow("empty lines around and between") << "\n\n\tLDA\tX\n\n\nX\tDAT\t3\n\n"
                                                    << image("0601 3");
    QTest::newRow("carriage returns") << "\tLDA\tX\r\nX\tDAT\t3\r\n" << image("0601 3");
    QTest::newRow("lower case") << "\tlda\tx\nx\tdat\t3" << image("0601 3");
    QTest::newRow("labels differing only in case") << "lda Num\nNUM dat 3" << image("0601 3");
    // Lines 3 and 9 both define D: the first definition wins everywhere.
    QTest::newRow("duplicate label")
        << "LDA D\nADD D\nHLT\nD DAT 11\nHLT\nHLT\nHLT\nHLT\nHLT\nD DAT 22\nBRA D"
        << image("0603 0103 000 11 000 000 000 000 000 11 0703");
}

void TestAssemblyPasses::images()
{
    QFETCH(QString, source);
    QFETCH(QString, image);
    QCOMPARE(outcome(source), image);
}

void TestAssemblyPasses::firstError_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message");

    QTest::newRow("blank-only line") << "INP\n \t \nHLT"
                                     << "Error: Invalid instruction <>.\n";
    QTest::newRow("message shows the stored line") << "  foo\tbar  "
                                                   << "Error: instuction is invalid <FOO\tBAR>.";
    QTest::newRow("E1 after E3 wins") << "LDA X Y\nHLT\nFOO BAR"
                                      << "Error: instuction is invalid <FOO BAR>.";
    QTest::newRow("first bad line of the encoding pass") << "HLT\nLOOP\nLDA X Y"
                                                         << "Error: invalid instruction <LOOP>.\n";
    QTest::newRow("three fields, name then name") << "A B C"
                                                  << "Error: Invalid instruction <A B C>.\n";
    QTest::newRow("undefined operand after good lines")
        << "INP\nSTA\tnum\nOUT\tnone\nnum DAT"
        << "Name <NONE> not found.[instuction: OUT\tNONE]\n";
    QTest::newRow("101 lines refused")
        << QString("HLT\n").repeated(101)
        << "Error: the program has 101 lines, but the memory holds at most 100.";
}

void TestAssemblyPasses::firstError()
{
    QFETCH(QString, source);
    QFETCH(QString, message);
    QCOMPARE(outcome(source), message);
}

void TestAssemblyPasses::hundredLines()
{
    // Line k is "Ck DAT k": 100 words, the last one at address 99.
    QString source;
    QStringList words;
    for (int k = 0; k < 100; ++k) {
        source += QString("C%1\tDAT\t%1\n").arg(k);
        words << QString::number(k);
    }
    Assembler assembler(20);
    QCOMPARE(assembler.assemble(source), words.join('\n') + '\n');
    QCOMPARE(assembler.lineCount, 100);
    QCOMPARE(assembler.symbolCapacity, 160);
}

void TestAssemblyPasses::moreThanTwentyLabels()
{
    // Line k is "Lk BRA L(29-k)", so each word names the address of another label.
    QString source;
    QStringList words;
    for (int k = 0; k < 30; ++k) {
        source += QString("L%1 BRA L%2\n").arg(k).arg(29 - k);
        words << "07" + QString::number(29 - k);
    }
    Assembler assembler(20);
    QCOMPARE(assembler.assemble(source), words.join('\n') + '\n');
    QCOMPARE(assembler.symbolCount, 30);
    QCOMPARE(assembler.symbolCapacity, 40);
}

QTEST_APPLESS_MAIN(TestAssemblyPasses)
#include "tst_passes.moc"
