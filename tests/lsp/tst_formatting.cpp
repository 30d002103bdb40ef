// The language server's formatting: every sample and a few hundred random
// programs keep their memory image, their lines and their line ends under
// each layout, with spaces put every mnemonic at one display column, and a
// second formatting changes nothing; a program that does not assemble is
// left alone.

#include "diagnostics/sourcetext.h"
#include "lsp/displaywidth.h"
#include "lsp/formatting.h"
#include "program/program.h"
#include "sampledata.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace
{

// The image korvane-run assembles from a file holding the text.
QStringList imageOf(const QString &text)
{
    program::Program program;
    program.text = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString error;
    return program.assemble(error) ? program.image
                                   : QStringList{QStringLiteral("refused: ") + error};
}

// A program that assembles, written untidily: labels named like mnemonics
// with more letters, DAT with negative and signed values and without one,
// empty lines, runs of blanks and tabs, mnemonics in any case, labels with
// wide characters, emoji and combining marks, LF and CR LF ends mixed.
QString randomProgram(QRandomGenerator &random)
{
    const QStringList operandTaking{"ADD", "sub", "Mul", "DIV", "sta", "LDA",
                                    "bra", "BRZ", "brp", "BRN", "BRG"};
    const QStringList alone{"INP", "out", "HLT"};
    const QStringList labels{"adder",
                             "outer",
                             "input",
                             "data",
                             "x",
                             "a_very_long_label",
                             "hlt2",
                             QString::fromUtf8("\xe5\x90\x88\xe8\xa8\x88"), // two wide characters
                             QString::fromUtf8("\xf0\x9f\x98\x80s"),        // an emoji
                             QString::fromUtf8("ne\xcc\x81")};              // e and an acute accent
    const auto blank = [&] {
        const QStringList blanks{" ", "\t", "  \t", "\t\t", "   "};
        return blanks[random.bounded(blanks.size())];
    };
    const auto end = [&] {
        return random.bounded(3) == 0 ? QStringLiteral("\r\n") : QStringLiteral("\n");
    };
    const int code = 1 + random.bounded(12);
    QStringList lines;
    for (int i = 0; i < code; ++i) {
        QString line =
            random.bounded(3) == 0 ? labels[i % labels.size()] + QString::number(i) : QString();
        line += blank();
        if (random.bounded(2) == 0)
            line += alone[random.bounded(alone.size())];
        else
            line += operandTaking[random.bounded(operandTaking.size())] + blank() +
                    QStringLiteral("cell%1").arg(random.bounded(3));
        if (random.bounded(4) == 0)
            line += blank(); // trailing white space
        lines.append(line + end());
        if (random.bounded(5) == 0)
            lines.append(end());
    }
    for (int cell = 0; cell < 3; ++cell) {
        const QStringList values{"", " -7", "\t+12", " 0", " -2147483648", "\t99"};
        lines.append(QStringLiteral("cell%1").arg(cell) + blank() + QStringLiteral("DAT") +
                     values[random.bounded(values.size())] + end());
    }
    QString text = lines.join(QString());
    if (random.bounded(2) == 0)
        text.chop(text.endsWith(QLatin1String("\r\n")) ? 2 : 1);
    return text;
}

} // namespace

class TestFormatting : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheImage_data();
    void keepsTheImage();
    void layout_data();
    void layout();
};

void TestFormatting::keepsTheImage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tabSize");
    QTest::addColumn<bool>("insertSpaces");
    const QList<std::pair<int, bool>> layouts{{8, false}, {4, false}, {4, true}, {2, true}};
    for (const auto &[tabSize, spaces] : layouts) {
        for (const testdata::Sample &sample : testdata::samples())
            QTest::addRow("%s, %d %s", sample.name, tabSize, spaces ? "spaces" : "tabs")
                << sample.text << tabSize << spaces;
    }
    QRandomGenerator random(20261207);
    for (int i = 0; i < 300; ++i) {
        const auto [tabSize, spaces] = layouts[i % layouts.size()];
        QTest::addRow("random %d", i) << randomProgram(random) << tabSize << spaces;
    }
}

void TestFormatting::keepsTheImage()
{
    QFETCH(QString, text);
    QFETCH(int, tabSize);
    QFETCH(bool, insertSpaces);
    const QStringList image = imageOf(text);
    QVERIFY2(!image[0].startsWith(QLatin1String("refused")), qPrintable(image[0]));
    const lsp::Layout layout{tabSize, insertSpaces};
    const QString once = lsp::formatted(text, layout);
    QCOMPARE(imageOf(once), image);
    QCOMPARE(once.count(QLatin1Char('\n')), text.count(QLatin1Char('\n')));
    QCOMPARE(once.count(QLatin1Char('\r')), text.count(QLatin1Char('\r')));
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QList<QString> endsBefore, endsAfter;
    for (const QRegularExpressionMatch &m : lineEnd.globalMatch(text))
        endsBefore.append(m.captured());
    for (const QRegularExpressionMatch &m : lineEnd.globalMatch(once))
        endsAfter.append(m.captured());
    QCOMPARE(endsAfter, endsBefore);
    QCOMPARE(lsp::formatted(once, layout), once);
    if (!insertSpaces)
        return;
    // With spaces, every mnemonic starts at one display column.
    QSet<qint32> columns;
    const diagnostics::SourceText read(once);
    for (const diagnostics::SourceLine &line : read.lines()) {
        for (const diagnostics::Word &word : line.words) {
            if (word.mnemonic() != nullptr) {
                columns.insert(
                    lsp::displayWidth(line.text.first(word.written().data() - line.text.data())));
                break;
            }
        }
    }
    QCOMPARE(columns.size(), 1);
}

void TestFormatting::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("tabSize");
    QTest::addColumn<bool>("insertSpaces");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a label longer than a tab takes two")
        << "longlabel INP\n  OUT\nx DAT 3\n"
        << 4 << false << "longlabel\tINP\n\t\t\tOUT\nx\t\t\tDAT\t3\n";
    QTest::newRow("spaces to the next multiple of the tab size")
        << "\tlda x\n x   DAT\t-4" << 4 << true << "    lda x\nx   DAT -4";
    QTest::newRow("empty lines stay") << "INP\n\n\nOUT\n" << 8 << false << "\tINP\n\n\n\tOUT\n";
    QTest::newRow("a carriage return stays at the end of its line")
        << "INP   \r\nHLT\r\n"
        << 8 << false << "\tINP\r\n\tHLT\r\n";
    QTest::newRow("a tab size of 0 is taken as 1")
        << "ab INP\nHLT" << 0 << true << "ab INP\n   HLT";
    QTest::newRow("a program that does not assemble is left alone")
        << "  LDA nowhere\n"
        << 8 << false << "  LDA nowhere\n";
    QTest::newRow("a mistyped mnemonic is left alone") << "x  DATA 1" << 8 << false << "x  DATA 1";
    QTest::newRow("an empty text") << "" << 8 << false << "";
    QTest::newRow("wide characters and emoji take two columns")
        << QString::fromUtf8("\xf0\x9f\x98\x80\xe5\x90\x88 INP\nx OUT\n") << 4 << true
        << QString::fromUtf8("\xf0\x9f\x98\x80\xe5\x90\x88    INP\nx       OUT\n");
    QTest::newRow("a combining mark takes none")
        << QString::fromUtf8("ne\xcc\x81 INP\nab OUT") << 4 << true
        << QString::fromUtf8("ne\xcc\x81  INP\nab  OUT");
    QTest::newRow("every line end as it was")
        << "a INP\r\n OUT\n\r\nHLT\r" << 8 << false << "a\tINP\r\n\tOUT\n\r\n\tHLT\r";
    QTest::newRow("lines run together by carriage returns alone are left alone")
        << "x\rDAT 5\n"
        << 8 << false << "x\rDAT 5\n";
}

void TestFormatting::layout()
{
    QFETCH(QString, text);
    QFETCH(int, tabSize);
    QFETCH(bool, insertSpaces);
    QFETCH(QString, expected);
    QCOMPARE(lsp::formatted(text, lsp::Layout{tabSize, insertSpaces}), expected);
}

QTEST_GUILESS_MAIN(TestFormatting)
#include "tst_formatting.moc"
