// The assembler: splitting text, the line store, the opcode table, the
// symbol table and the two passes, with the image or the message each source
// gives, hard inputs included.
#include "sampledata.h"

#include "assembler/assembler.h"
#include "assembler/splittext.h"

#include <QTest>

#include <limits>

namespace
{

const QString kGrowthFailure = QStringLiteral("Can not extend memort for SymbolTable.");

// The image text, or the message the assembly was refused with.
QString outcome(Assembler &assembler, const QString &source)
{
    try {
        return assembler.assemble(source);
    } catch (const QString &message) {
        return message;
    }
}

// The image text of space-separated words: each word followed by a line feed.
QString image(const QString &words)
{
    return words.isEmpty() ? QString()
                           : words.split(QLatin1Char(' ')).join(QLatin1Char('\n')) + '\n';
}

QString repeatedLine(const QString &line, int count)
{
    QString text;
    for (int k = 0; k < count; ++k)
        text += line + QLatin1Char('\n');
    return text;
}

QList<int> numbersFrom(int first, int count)
{
    QList<int> numbers;
    for (int k = 0; k < count; ++k)
        numbers << first + k;
    return numbers;
}

// line at address 0, halts up to address - 1, then the definition at address.
QString withDefinitionAt(const QString &line, const QString &definition, int address)
{
    return line + "\n" + repeatedLine("\tHLT", address - 1) + definition;
}

QString invalidInstruction(const QString &line)
{
    return "Error: invalid instruction <" + line + ">.\n";
}

QString tooManyLines(int count)
{
    return QStringLiteral("Error: the program has %1 lines, but the memory holds at most 100.")
        .arg(count);
}

// The entry the n-th add of fillTable stores; odd ones are data labels.
SymbolEntry expectedEntry(int n)
{
    const bool isData = n % 2 == 1;
    return SymbolEntry{QStringLiteral("L") + QString::number(n), n, isData ? -n : 0, isData};
}

void fillTable(Assembler &assembler, int count)
{
    for (int n = 0; n < count; ++n) {
        const SymbolEntry e = expectedEntry(n);
        if (e.isData)
            assembler.addData(e.labelName, e.labelAddress, e.dataValue);
        else
            assembler.addLabel(e.labelName, e.labelAddress);
    }
}

// The first count entries are those fillTable stored, in order, with all
// fields, and every slot after them holds a default entry.
bool entriesIntact(const Assembler &assembler, int count)
{
    for (int n = 0; n < assembler.symbolCapacity; ++n) {
        const SymbolEntry &got = assembler.symbols[std::size_t(n)];
        const SymbolEntry want = n < count ? expectedEntry(n) : SymbolEntry{};
        if (got.labelName != want.labelName || got.labelAddress != want.labelAddress ||
            got.dataValue != want.dataValue || got.isData != want.isData)
            return false;
    }
    return true;
}

// The looked-up number in decimal, or the message the lookup was refused with.
QString lookupOutcome(const Assembler &assembler, const QString &name, bool wantValue)
{
    try {
        return QString::number(assembler.lookup(name, wantValue));
    } catch (const QString &message) {
        return message;
    }
}

} // namespace

class TestAssembler : public QObject
{
    Q_OBJECT

private slots:
    void splitText_data();
    void splitText();
    void loadLines_data();
    void loadLines();
    void codeOf_data();
    void codeOf();
    void capacity_data();
    void capacity();
    void lookup_data();
    void lookup();
    void refusedCapacity_data();
    void refusedCapacity();
    void addAtTheCeilingStoresNothing();
    void singleLine_data();
    void singleLine();
    void programs_data();
    void programs();
    void workedExample();
};

void TestAssembler::splitText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("parts");

    const auto row = [](const char *tag, const QString &text, const QString &separator,
                        const QStringList &parts) {
        QTest::newRow(tag) << text << separator << parts;
    };
    // Empty separator: runs of white space separate fields.
    row("label, mnemonic, operand", "loop\tLDA\tnumber", "", {"loop", "LDA", "number"});
    row("tab then blank", "\tMUL NUM1", "", {"MUL", "NUM1"});
    row("runs and ends", "  a \t\t b\t ", "", {"a", "b"});
    row("five fields", "a b c d e", "", {"a", "b", "c", "d", "e"});
    row("empty text", "", "", {});
    row("only blanks and tabs", " \t  \t", "", {});
    row("null separator", "a b", QString(), {"a", "b"});
    row("no-break space is no field separator", QStringLiteral("A\u00a0B C"), "",
        {QStringLiteral("A\u00a0B"), "C"});
    // Any other separator: exact occurrences, empty parts dropped, parts kept as they are.
    row("blank lines and final line feed", "\n\na\n\n\nb\n", "\n", {"a", "b"});
    row("parts not trimmed", "a \r\n b", "\n", {"a \r", " b"});
    row("blank-only line survives", "a\n \t\nb", "\n", {"a", " \t", "b"});
    row("case-sensitive separator", "aXbxc", "X", {"a", "bxc"});
    row("image words", "1201\n0506\n000\n", "\n", {"1201", "0506", "000"});
}

void TestAssembler::splitText()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, parts);
    QCOMPARE(::splitText(text, separator), parts);
}

void TestAssembler::loadLines_data()
{
    QTest::addColumn<int>("alreadyStored"); // "OUT" lines stored by an earlier call
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("lines");  // the whole store afterwards
    QTest::addColumn<QList<int>>("numbers"); // the text line each stored line came from
    QTest::addColumn<QString>("refusal");

    const auto row = [](const char *tag, int alreadyStored, const QString &source,
                        const QStringList &lines, const QList<int> &numbers,
                        const QString &refusal = QString()) {
        QTest::newRow(tag) << alreadyStored << source << lines << numbers << refusal;
    };
    row("adding sample", 0, testdata::samples()[0].text,
        {"INP", "STA\tNUM1", "INP", "ADD\tNUM1", "OUT", "HLT", "NUM1\tDAT"}, numbersFrom(1, 7));
    row("carriage returns", 0, "\tinp\r\n\tout\r\n", {"INP", "OUT"}, {1, 2});
    row("inner white space kept", 0, "  l  lda\t x  ", {"L  LDA\t X"}, {1});
    row("empty lines dropped", 0, "\n\nINP\n\n\nHLT\n", {"INP", "HLT"}, {3, 6});
    row("blank-only line kept empty", 0, "INP\n \t \nHLT", {"INP", "", "HLT"}, {1, 2, 3});
    row("empty source", 0, "", {}, {});
    row("appended to the store", 2, "\nhlt", {"OUT", "OUT", "HLT"}, {1, 2, 2});

    // A program has at most one line per memory cell; a longer one stores nothing.
    const QStringList hundred(100, QStringLiteral("HLT"));
    row("100 lines", 0, repeatedLine("HLT", 100), hundred, numbersFrom(1, 100));
    row("100 lines, trailing empty lines", 0, repeatedLine("HLT", 100) + "\n\n", hundred,
        numbersFrom(1, 100));
    row("101 lines", 0, repeatedLine("HLT", 101), {}, {}, tooManyLines(101));
    row("100 lines and a blank-only line", 0, repeatedLine("HLT", 100) + " \t", {}, {},
        tooManyLines(101));
    row("250 lines", 0, repeatedLine("HLT", 250), {}, {}, tooManyLines(250));
    row("60 stored, 40 more", 60, repeatedLine("HLT", 40),
        QStringList(60, QStringLiteral("OUT")) + QStringList(40, QStringLiteral("HLT")),
        numbersFrom(1, 60) + numbersFrom(1, 40));
    row("60 stored, 41 more", 60, repeatedLine("HLT", 41), QStringList(60, QStringLiteral("OUT")),
        numbersFrom(1, 60), tooManyLines(101));
}

void TestAssembler::loadLines()
{
    QFETCH(int, alreadyStored);
    QFETCH(QString, source);
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, refusal);

    Assembler assembler(20);
    assembler.loadLines(repeatedLine("OUT", alreadyStored));
    QString message;
    try {
        assembler.loadLines(source);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, refusal);
    QCOMPARE(assembler.lineCount, lines.size());
    QCOMPARE(QStringList(assembler.lines.begin(), assembler.lines.end()),
             lines + QStringList(100 - lines.size(), QString()));
    QCOMPARE(
        QList<int>(assembler.lineNumbers.begin(), assembler.lineNumbers.begin() + lines.size()),
        numbers);
}

void TestAssembler::codeOf_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("code");

    QTest::newRow("ADD") << "ADD"
                         << "01";
    QTest::newRow("LDA") << "LDA"
                         << "06";
    QTest::newRow("BRG") << "BRG"
                         << "11";
    QTest::newRow("INP") << "INP"
                         << "1201";
    QTest::newRow("HLT, three characters") << "HLT"
                                           << "000";
    QTest::newRow("DAT") << "DAT"
                         << "-1";
    for (const char *word : {"lda", "Add", " LDA", "LDA ", "ABC", "NUM1", "01", ""})
        QTest::newRow(qPrintable(QStringLiteral("no mnemonic: '%1'").arg(word))) << word << "-2";
}

void TestAssembler::codeOf()
{
    QFETCH(QString, word);
    QFETCH(QString, code);

    const Assembler assembler(20);
    QCOMPARE(assembler.codeOf(word), code);
    QCOMPARE(assembler.isMnemonic(word), code != QLatin1String("-2"));
}

void TestAssembler::capacity_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("capacity");

    QTest::newRow("20") << 20 << 0 << 20;
    QTest::newRow("5") << 5 << 0 << 5;
    QTest::newRow("0 means 20") << 0 << 0 << 20;
    QTest::newRow("-1 means 20") << -1 << 0 << 20;
    QTest::newRow("lowest int means 20") << std::numeric_limits<int>::min() << 0 << 20;
    QTest::newRow("20 fills 20") << 20 << 20 << 20;
    QTest::newRow("21st doubles to 40") << 20 << 21 << 40;
    QTest::newRow("40 fills 40") << 20 << 40 << 40;
    QTest::newRow("41st doubles to 80") << 20 << 41 << 80;
    QTest::newRow("81st doubles to 160") << 20 << 81 << 160;
    QTest::newRow("from 5, 6th doubles to 10") << 5 << 6 << 10;
}

void TestAssembler::capacity()
{
    QFETCH(int, argument);
    QFETCH(int, added);
    QFETCH(int, capacity);

    Assembler assembler(argument);
    QCOMPARE(assembler.lineCount, 0);
    QCOMPARE(assembler.symbolCount, 0);
    fillTable(assembler, added);
    QCOMPARE(assembler.symbolCapacity, capacity);
    QCOMPARE(assembler.symbolCount, added);
    QVERIFY(entriesIntact(assembler, added));
    QCOMPARE(lookupOutcome(assembler, "X", false), QStringLiteral("Name <X> not found."));
}

void TestAssembler::lookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("wantValue");
    QTest::addColumn<QString>("result");

    // Table: LOOP code label at 1, ONE data 1 at 7, NEG data -3 at 8, LOOP again as data 5 at 9.
    QTest::newRow("first LOOP, address") << "LOOP" << false << "1";
    QTest::newRow("first LOOP, value of a code label") << "LOOP" << true << "0";
    QTest::newRow("data label, value") << "ONE" << true << "1";
    QTest::newRow("data label, address") << "ONE" << false << "7";
    QTest::newRow("negative value") << "NEG" << true << "-3";
    QTest::newRow("prefix") << "LOO" << false << "Name <LOO> not found.";
    QTest::newRow("longer") << "LOOPS" << false << "Name <LOOPS> not found.";
    QTest::newRow("other case") << "loop" << false << "Name <loop> not found.";
    QTest::newRow("empty name") << "" << true << "Name <> not found.";
}

void TestAssembler::lookup()
{
    QFETCH(QString, name);
    QFETCH(bool, wantValue);
    QFETCH(QString, result);

    Assembler assembler(20);
    assembler.addLabel("LOOP", 1);
    assembler.addData("ONE", 7, 1);
    assembler.addData("NEG", 8, -3);
    assembler.addData("LOOP", 9, 5);
    QCOMPARE(lookupOutcome(assembler, name, wantValue), result);
    QCOMPARE(assembler.symbolCount, 4);
}

void TestAssembler::refusedCapacity_data()
{
    QTest::addColumn<int>("newCapacity");

    QTest::newRow("same") << 20;
    QTest::newRow("smaller") << 10;
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("above the ceiling") << Assembler::kMaxSymbolCapacity + 1;
    QTest::newRow("highest int") << std::numeric_limits<int>::max();
}

void TestAssembler::refusedCapacity()
{
    QFETCH(int, newCapacity);

    Assembler assembler(20);
    fillTable(assembler, 3);
    QString message;
    try {
        assembler.grow(newCapacity);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, kGrowthFailure);
    QCOMPARE(assembler.symbolCapacity, 20);
    QCOMPARE(assembler.symbolCount, 3);
    QVERIFY(entriesIntact(assembler, 3));
}

void TestAssembler::addAtTheCeilingStoresNothing()
{
    const int half = Assembler::kMaxSymbolCapacity / 2;
    Assembler assembler(half);
    fillTable(assembler, half + 1);
    QCOMPARE(assembler.symbolCapacity, Assembler::kMaxSymbolCapacity);

    for (int n = half + 1; n < Assembler::kMaxSymbolCapacity; ++n)
        assembler.addLabel("FILL", n);
    QCOMPARE(assembler.symbolCount, Assembler::kMaxSymbolCapacity);

    // Doubling would pass the ceiling: the add is refused and stores nothing.
    QString message;
    try {
        assembler.addData("LAST", 1, 2);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, kGrowthFailure);
    QCOMPARE(assembler.symbolCount, Assembler::kMaxSymbolCapacity);
    QCOMPARE(assembler.symbolCapacity, Assembler::kMaxSymbolCapacity);
    QCOMPARE(lookupOutcome(assembler, "LAST", false), QString("Name <LAST> not found."));
    QCOMPARE(assembler.symbols[std::size_t(half)].labelName, expectedEntry(half).labelName);
}

// Lines as typed, with the word they give at address 0 or the message.
void TestAssembler::singleLine_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result");

    const auto row = [](const QString &source, const QString &result, const char *context = "") {
        QTest::newRow(qPrintable(source.section('\n', 0, 0) + context)) << source << result;
    };
    row("LOOP", invalidInstruction("LOOP"));
    row("LDA X Y", "Error: Invalid instruction <LDA X Y>.\n");
    row("LDA X ; NOTE", "Error: Invalid instruction <LDA X ; NOTE>.\n");
    row("INP OUT", "Error: instuction is invalid <INP OUT>.");
    row("FOO BAR", "Error: instuction is invalid <FOO BAR>.");
    row("ADD DAT", "Error: instuction is invalid <ADD DAT>.");
    row("LDA 5", "Name <5> not found.[instuction: LDA 5]\n", ", no label 5");
    row("L LDA NOWHERE", "Name <NOWHERE> not found.", ", undefined");
    row(withDefinitionAt("BRA END", "END HLT", 5), "0705", ", END at 5");
    row(withDefinitionAt("LDA X", "X DAT", 7), "0607", ", X at 7");
    row(withDefinitionAt("L LDA X", "X DAT", 7), "067", ", X at 7");
    row(withDefinitionAt("LDA X", "X DAT", 45), "0645", ", X at 45");
    row(withDefinitionAt("L LDA X", "X DAT", 45), "0645", ", X at 45");
    row(withDefinitionAt("INP X", "X DAT", 7), "120107", ", X at 7");
    row(withDefinitionAt("DAT X", "X DAT", 7), "-107", ", X at 7");
    row("L LDA", "06");
    row("L INP", "1201");
    row("X DAT", "0");
    row("X DAT 5", "5");
    row("X DAT -5", "-5");
    row("X DAT 007", "7");
    row("X DAT 010", "10");
    row("X DAT 0x1F", "0");
    row("X DAT ABC", "0");
    row("DAT", "-1");
    row("ADD", "01");
    row("HLT", "000");
}

void TestAssembler::singleLine()
{
    QFETCH(QString, source);
    QFETCH(QString, result);

    Assembler assembler(20);
    const QString image = outcome(assembler, source);
    // Every message quotes something between angle brackets; no word holds one.
    QCOMPARE(image.contains(QLatin1Char('<')) ? image : image.section('\n', 0, 0), result);
}

void TestAssembler::programs_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("result"); // the image text, or the message
    QTest::addColumn<int>("errorLine");  // the stored line the message is about

    const auto row = [](const char *tag, const QString &source, const QString &result,
                        int errorLine = -1) {
        QTest::newRow(tag) << source << result << errorLine;
    };
    for (const testdata::Sample &sample : testdata::samples())
        row(sample.name, sample.text, image(sample.image.join(' ')));

    row("empty source", "", "");
    row("only line feeds", "\n\n\n", "");
    row("empty lines around and between", "\n\n\tLDA\tX\n\n\nX\tDAT\t3\n\n", image("0601 3"));
    row("lower case", "\tlda\tx\nx\tdat\t3", image("0601 3"));
    row("labels differing only in case", "lda Num\nNUM dat 3", image("0601 3"));
    // Lines 3 and 9 both define D: the first definition wins everywhere.
    row("duplicate label", "LDA D\nADD D\nHLT\nD DAT 11\nHLT\nHLT\nHLT\nHLT\nHLT\nD DAT 22\nBRA D",
        image("0603 0103 000 11 000 000 000 000 000 11 0703"));
    QString hundredData;
    QStringList hundredWords;
    QString thirtyLabels;
    QStringList thirtyWords;
    for (int k = 0; k < 100; ++k) {
        hundredData += QString("C%1\tDAT\t%1\n").arg(k);
        hundredWords << QString::number(k);
    }
    for (int k = 0; k < 30; ++k) {
        thirtyLabels += QString("L%1 BRA L%2\n").arg(k).arg(29 - k);
        thirtyWords << "07" + QString::number(29 - k);
    }
    row("100 data lines fill the memory", hundredData, image(hundredWords.join(' ')));
    row("30 labels, each naming another", thirtyLabels, image(thirtyWords.join(' ')));

    // The first error: pass 1 over every line first, then the encoding pass.
    row("blank-only line", "INP\n \t \nHLT", "Error: Invalid instruction <>.\n", 1);
    row("message shows the stored line", "  foo\tbar  ", "Error: instuction is invalid <FOO\tBAR>.",
        0);
    row("E1 after E3 wins", "LDA X Y\nHLT\nFOO BAR", "Error: instuction is invalid <FOO BAR>.", 2);
    row("first bad line of the encoding pass", "HLT\nLOOP\nLDA X Y", invalidInstruction("LOOP"), 1);
    row("three fields, name then name", "A B C", "Error: Invalid instruction <A B C>.\n", 0);
    row("undefined operand after good lines", "INP\nSTA\tnum\nOUT\tnone\nnum DAT",
        "Name <NONE> not found.[instuction: OUT\tNONE]\n", 2);
    row("undefined operand of a labelled line", "HLT\nL ADD NONE", "Name <NONE> not found.", 1);

    // NUL is an ordinary character: it separates nothing.
    row("NUL between fields", QStringLiteral("LDA\000X\nX DAT 3"),
        invalidInstruction(QStringLiteral("LDA\000X")), 0);
    row("NUL alone on a line", QStringLiteral("HLT\n\000\nHLT"),
        invalidInstruction(QStringLiteral("\000")), 1);
    row("NUL as a label", QStringLiteral("\000 DAT 5\nLDA \000"), image("5 0600"));
    // Only a line feed ends a line; a carriage return is white space.
    row("CRLF line ends", "\tLDA\tX\r\nX\tDAT\t3\r\n", image("0601 3"));
    row("CR between fields", "LDA\rX\nX DAT 3", image("0601 3"));
    row("CR alone does not end a line", "HLT\rHLT", "Error: instuction is invalid <HLT\rHLT>.", 0);
    row("blank CRLF line is an empty line", "INP\r\n\r\nHLT\r\n",
        "Error: Invalid instruction <>.\n", 1);
    // Bytes that were no UTF-8 arrive as replacement characters.
    row("undefined replacement character", QString::fromUtf8("LDA \xff\nX DAT 3"),
        QString::fromUtf8("Name <\xef\xbf\xbd> not found.[instuction: LDA \xef\xbf\xbd]\n"), 0);
    row("two bad bytes make the same label", QString::fromUtf8("\xff DAT 5\nLDA \xfe"),
        image("5 0600"));
    // A text holding an unpaired surrogate is no valid UTF-16, and the
    // white-space pattern matches nothing in it: its line stays one field.
    row("unpaired surrogate keeps the line whole", QStringLiteral("\xd800 DAT 5\nLDA \xd800"),
        invalidInstruction(QStringLiteral("\xd800 DAT 5")), 0);
    row("paired surrogates in a label", QStringLiteral("\U0001F600 DAT 5\nLDA \U0001F600"),
        image("5 0600"));
    // Trimming knows all of Unicode's white space; fields are cut at ASCII white space only.
    row("no-break space around a line", QStringLiteral("\u00a0HLT\u00a0"), image("000"));
    row("no-break space between fields", QStringLiteral("LDA\u00a0X\nX DAT 3"),
        invalidInstruction(QStringLiteral("LDA\u00a0X")), 0);
    row("ideographic space around a line", QStringLiteral("\u3000LDA X\u3000\nX DAT 3"),
        image("0601 3"));
    row("ideographic space between fields", QStringLiteral("LDA\u3000X\nX DAT 3"),
        invalidInstruction(QStringLiteral("LDA\u3000X")), 0);
    row("line separator does not end a line", QStringLiteral("HLT\u2028HLT"),
        invalidInstruction(QStringLiteral("HLT\u2028HLT")), 0);
    row("upper case longer than the label", QStringLiteral("stra\u00dfe DAT 5\nLDA STRASSE"),
        image("5 0600"));

    // The memory has 100 cells; a longer program is refused as a whole.
    row("100 lines and blank lines", "\n\n" + repeatedLine("HLT\n", 100),
        image(QStringList(100, "000").join(' ')));
    row("101 lines", repeatedLine("HLT", 101), tooManyLines(101));
    row("101st line bad as well", repeatedLine("HLT", 100) + "FOO BAR", tooManyLines(101));
    row("5000 lines", repeatedLine("HLT", 5000), tooManyLines(5000));
    row("a million line feeds", QString(1000000, QLatin1Char('\n')), "");

    const QString name(100000, QLatin1Char('N'));
    row("label of 100000 characters", name + " DAT 7\nLDA " + name, image("7 0600"));
    row("data value of 100000 digits", "X DAT " + QString(100000, QLatin1Char('7')), image("0"));
    row("name of 100000 characters alone", name.toLower(), invalidInstruction(name), 0);
    const QString manyFields =
        repeatedLine("HLT", 50000).replace(QLatin1Char('\n'), QLatin1Char(' '));
    row("50000 fields", manyFields, "Error: Invalid instruction <" + manyFields.trimmed() + ">.\n",
        0);
}

void TestAssembler::programs()
{
    QFETCH(QString, source);
    QFETCH(QString, result);
    QFETCH(int, errorLine);

    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    QCOMPARE(outcome(assembler, source), result);
    QCOMPARE(assembler.errorLine, errorLine);
}

// The worked example: pass 1 enters exactly its three labels, in line order.
void TestAssembler::workedExample()
{
    Assembler assembler(20);
    QCOMPARE(assembler.assemble(testdata::samples()[2].text),
             image(testdata::samples()[2].image.join(' ')));
    QCOMPARE(assembler.lineCount, 9);
    QCOMPARE(assembler.lines[1], QStringLiteral("LOOP\tOUT"));
    QCOMPARE(assembler.symbolCount, 3);
    const SymbolEntry expected[] = {
        {"LOOP", 1, 0, false}, {"ONE", 7, 1, true}, {"COUNT", 8, 0, true}};
    for (int i = 0; i < 3; ++i) {
        const SymbolEntry &entry = assembler.symbols[std::size_t(i)];
        QCOMPARE(entry.labelName, expected[i].labelName);
        QCOMPARE(entry.labelAddress, expected[i].labelAddress);
        QCOMPARE(entry.dataValue, expected[i].dataValue);
        QCOMPARE(entry.isData, expected[i].isData);
    }
}

QTEST_APPLESS_MAIN(TestAssembler)
#include "tst_assembler.moc"
