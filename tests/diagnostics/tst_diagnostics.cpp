// The diagnostics of a program: every error at its word, in line order and
// within the limit, agreeing with the window's assembler; their messages,
// related places and fixes; warnings; the one-line and JSON forms; and the
// words and byte columns they are measured in.
#include "sampledata.h"

#include "assembler/assembler.h"
#include "diagnostics/characters.h"
#include "diagnostics/errors.h"
#include "diagnostics/runerror.h"
#include "diagnostics/runnotes.h"
#include "diagnostics/sourcetext.h"
#include "diagnostics/warnings.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using diagnostics::Diagnostic;
using diagnostics::Severity;

Q_DECLARE_METATYPE(diagnostics::Range)
Q_DECLARE_METATYPE(diagnostics::RunStop)
Q_DECLARE_METATYPE(machine::Fault)

namespace
{

QString repeatedLine(const QString &line, int count)
{
    QString text;
    for (int k = 0; k < count; ++k)
        text += line + QLatin1Char('\n');
    return text;
}

// "LINE:COLUMN severity kind", as programs.txt writes them.
QStringList positions(const QList<Diagnostic> &list)
{
    QStringList lines;
    for (const Diagnostic &found : list)
        lines << QStringLiteral("%1:%2 %3 %4")
                     .arg(found.range.line)
                     .arg(found.range.column())
                     .arg(diagnostics::severityName(found.severity), found.name());
    return lines;
}

QStringList oneLines(const QList<Diagnostic> &list)
{
    QStringList lines;
    for (const Diagnostic &found : list)
        lines << diagnostics::oneLine(found);
    return lines;
}

// A program line of programs.txt: \t is a tab, \u{HEX} a code point.
QString unescaped(QString line)
{
    line.replace(QLatin1String("\\t"), QLatin1String("\t"));
    static const QRegularExpression code(QStringLiteral("\\\\u\\{([0-9A-Fa-f]+)\\}"));
    QRegularExpressionMatch match;
    while ((match = code.match(line)).hasMatch()) {
        const char32_t point = match.captured(1).toUInt(nullptr, 16);
        line.replace(match.capturedStart(), match.capturedLength(), QString::fromUcs4(&point, 1));
    }
    return line;
}

// A program of programs.txt or beginners.txt.
struct Program {
    QString title;
    QString text;
    QList<qint32> mistakes; // the lines of its mistakes
    QStringList expected;
    QStringList says;  // one-line texts among those of its diagnostics
    QString fixTitle;  // the first fix of the first diagnostic with one
    QStringList fixed; // the program after it
};

QList<Program> readPrograms(const QString &name)
{
    QFile file(QStringLiteral(KORVANE_DIAGNOSTICS_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(name));
    QList<Program> programs;
    QStringList lines;
    bool inExpect = false;
    enum { Expect, Says, Fixed } part = Expect;
    const auto finish = [&] {
        if (!programs.isEmpty())
            programs.last().text = lines.join(QLatin1Char('\n'));
        lines.clear();
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("== "))) {
            finish();
            programs.append(Program{line.mid(3), {}, {}, {}, {}, {}, {}});
            inExpect = false;
            part = Expect;
        } else if (programs.isEmpty()) {
            continue; // the comments before the first program
        } else if (line.startsWith(QLatin1String("-- mistakes "))) {
            for (const QString &number : line.mid(12).split(QLatin1Char(' '), Qt::SkipEmptyParts))
                programs.last().mistakes << number.toInt();
        } else if (line == QLatin1String("-- expect")) {
            if (!inExpect)
                programs.last().text = lines.join(QLatin1Char('\n'));
            inExpect = true;
        } else if (inExpect && line == QLatin1String("-- says")) {
            part = Says;
        } else if (inExpect && line.startsWith(QLatin1String("-- fixed by "))) {
            part = Fixed;
            programs.last().fixTitle = unescaped(line.mid(12));
        } else if (inExpect && part == Fixed) {
            programs.last().fixed << unescaped(line);
        } else if (inExpect) {
            if (!line.isEmpty())
                (part == Says ? programs.last().says : programs.last().expected) << unescaped(line);
        } else {
            lines << unescaped(line);
        }
    }
    if (!inExpect)
        finish();
    return programs;
}

// The line the window's assembler refuses a text at (0 for the text as a
// whole), or -1 when it accepts it.
qint32 windowErrorLine(const QString &text)
{
    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        assembler.assemble(text);
        return -1;
    } catch (const QString &) {
    }
    const qint32 stored = assembler.errorLine;
    return stored >= 0 && stored < assembler.lineCount ? assembler.lineNumbers[std::size_t(stored)]
                                                       : 0;
}

// The line of the first stored line that does not fit in the memory.
qint32 firstLineBeyondMemory(const QString &text)
{
    const diagnostics::SourceText read(text);
    return read.lines().size() > 100 ? read.lines()[100].number : 0;
}

// What is wrong with the errors of a text as the window's assembler sees
// it; empty when nothing is.
QString disagreement(const QString &text, const QList<Diagnostic> &list)
{
    QList<qint32> errorLines;
    for (const Diagnostic &found : list) {
        if (found.severity == Severity::Error && found.name() != QLatin1String("too-many-errors"))
            errorLines << found.range.line;
    }
    const qint32 windowLine = windowErrorLine(text);
    if (windowLine < 0)
        return errorLines.isEmpty() ? QString()
                                    : QStringLiteral("errors about a program that assembles");
    if (errorLines.isEmpty())
        return QStringLiteral("no error about a program the window refuses");
    if (!std::is_sorted(errorLines.begin(), errorLines.end()) && windowLine > 0)
        return QStringLiteral("errors out of line order");
    const qint32 expected = windowLine > 0 ? windowLine : firstLineBeyondMemory(text);
    if (!errorLines.contains(expected))
        return QStringLiteral("the window's error at line %1 is missing").arg(expected);
    return {};
}

// The text with every edit of a fix applied.
QString applied(const QString &text, const diagnostics::Fix &fix)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    QList<diagnostics::Edit> edits = fix.edits;
    // From the end, so that earlier ranges stay where they are.
    std::sort(edits.begin(), edits.end(), [](const auto &a, const auto &b) {
        return std::tie(a.range.line, a.range.begin) > std::tie(b.range.line, b.range.begin);
    });
    for (const diagnostics::Edit &edit : edits) {
        while (lines.size() < edit.range.line)
            lines.append(QString());
        QByteArray line = lines[edit.range.line - 1].toUtf8();
        line.replace(edit.range.begin, edit.range.end - edit.range.begin,
                     edit.replacement.toUtf8());
        lines[edit.range.line - 1] = QString::fromUtf8(line);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestDiagnostics : public QObject
{
    Q_OBJECT

private slots:
    void programs_data();
    void programs();
    void beginners_data();
    void beginners();
    void messages_data();
    void messages();
    void limit_data();
    void limit();
    void limitCounts_data();
    void limitCounts();
    void warningLimit();
    void fixes_data();
    void fixes();
    void warnings_data();
    void warnings();
    void duplicateLabelNamesTheFirst();
    void flowWarnings_data();
    void flowWarnings();
    void runNotes_data();
    void runNotes();
    void runErrors_data();
    void runErrors();
    void json();
    void words_data();
    void words();
    void shownAsWritten_data();
    void shownAsWritten();
    void utf16Units_data();
    void utf16Units();
};

void TestDiagnostics::programs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    for (const Program &program : readPrograms(QStringLiteral("programs.txt")))
        QTest::newRow(qPrintable(program.title)) << program.text << program.expected;
}

void TestDiagnostics::programs()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const QList<Diagnostic> found = diagnostics::check(text);
    QCOMPARE(positions(found), expected);
    QCOMPARE(disagreement(text, found), QString());
}

void TestDiagnostics::beginners_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qint32>>("mistakes");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QString>("fixTitle");
    QTest::addColumn<QStringList>("fixed");
    const QList<Program> programs = readPrograms(QStringLiteral("beginners.txt"));
    QVERIFY(programs.size() >= 40);
    for (const Program &program : programs)
        QTest::newRow(qPrintable(program.title))
            << program.text << program.mistakes << program.expected << program.says
            << program.fixTitle << program.fixed;
}

// The lines of a text without the empty ones at its end.
static QStringList withoutEmptyEnd(QStringList lines)
{
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The errors of a program, or the warnings of one that assembles.
static QList<Diagnostic> everything(const QString &text)
{
    return diagnostics::check(text) + diagnostics::warnings(text);
}

// Each diagnostic's first line is a mistake's, and every fix removes what it
// is about: the error or warning itself, or the one a note belongs to.
void TestDiagnostics::beginners()
{
    QFETCH(QString, text);
    QFETCH(QList<qint32>, mistakes);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, says);
    QFETCH(QString, fixTitle);
    QFETCH(QStringList, fixed);
    const QList<Diagnostic> found = everything(text);
    QCOMPARE(positions(found), expected);
    QCOMPARE(disagreement(text, found), QString());
    QVERIFY(!found.isEmpty());
    for (const QString &message : std::as_const(says))
        QVERIFY2(oneLines(found).contains(message), qPrintable(oneLines(found).join('\n')));
    if (!fixTitle.isEmpty()) {
        const auto withFix = std::find_if(found.begin(), found.end(),
                                          [](const Diagnostic &d) { return !d.fixes.isEmpty(); });
        QVERIFY(withFix != found.end());
        QCOMPARE(withFix->fixes.first().title, fixTitle);
        QCOMPARE(withoutEmptyEnd(applied(text, withFix->fixes.first()).split(QLatin1Char('\n'))),
                 withoutEmptyEnd(fixed));
    }
    // The first error or warning, or a note that belongs to it, is at a mistake.
    bool atMistake = mistakes.contains(found.first().range.line);
    for (qsizetype k = 1; k < found.size() && found[k].severity == Severity::Note; ++k)
        atMistake = atMistake || mistakes.contains(found[k].range.line);
    QVERIFY2(atMistake, qPrintable(positions(found).first()));

    const Diagnostic *about = nullptr;
    for (const Diagnostic &diagnostic : found) {
        if (diagnostic.severity != Severity::Note)
            about = &diagnostic;
        for (const diagnostics::Fix &fix : diagnostic.fixes) {
            QVERIFY(about != nullptr);
            const QString fixed = applied(text, fix);
            const QList<Diagnostic> after = everything(fixed);
            const bool remains = std::any_of(after.begin(), after.end(), [&](const Diagnostic &d) {
                return d.code == about->code && d.range.line == about->range.line &&
                       d.range.begin == about->range.begin;
            });
            QVERIFY2(!remains,
                     qPrintable(fix.title + QLatin1String(" leaves ") +
                                positions({*about}).first() + QLatin1String(" in:\n") + fixed));
        }
    }
}

void TestDiagnostics::messages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char *tag, const QString &text, const QStringList &expected) {
        QTest::newRow(tag) << text << expected;
    };
    row("undefined label, as written, and how to define it", "LDA Total",
        {"1:5: error: label 'Total' is not defined",
         "1:5: note: to use 'Total' as a variable, define it on a line of its own after the "
         "program: 'Total DAT'"});
    row("lone word, did you mean, in the student's case", "oupt",
        {"1:1: error: 'oupt' is not an instruction; did you mean out?"});
    row("upper case", "OUPT", {"1:1: error: 'OUPT' is not an instruction; did you mean OUT?"});
    row("two equally near, both named", "SUA x\nx DAT",
        {"1:1: error: 'SUA' is not an instruction; did you mean SUB or STA?"});
    row("equally near, all named", "BRX x\nx HLT",
        {"1:1: error: 'BRX' is not an instruction; did you mean BRA, BRZ, BRP, BRN or BRG?"});
    row("only the mnemonics that take no operand, on a line without one", "SUA",
        {"1:1: error: 'SUA' is not an instruction"});
    row("two edits in a long word", "INPT",
        {"1:1: error: 'INPT' is not an instruction; did you mean INP?"});
    row("a word of another assembly language", "input",
        {"1:1: error: 'input' is not an instruction; did you mean inp?",
         "1:1: note: other assembly languages write 'input' where this machine writes INP; it "
         "knows only its own fifteen words"});
    row("after a label, with an operand", "L INPT X", {"1:3: error: 'INPT' is not an instruction"});
    row("three edits: no guess", "TOTAL", {"1:1: error: 'TOTAL' is not an instruction"});
    row("neither word", "foo qux", {"1:1: error: neither 'foo' nor 'qux' is an instruction"});
    row("two instructions", "INP\tOUT",
        {"1:1: error: two instructions on one line, 'INP' and 'OUT'; each needs a line of its "
         "own"});
    row("mnemonic as a label", "add HLT",
        {"1:1: error: 'add' is an instruction, and instructions cannot be labels"});
    row("mnemonic as an operand", "BRP add",
        {"1:5: error: 'add' is an instruction, and instructions cannot be labels"});
    row("one word too many", "LDA x y\nx DAT",
        {"1:7: error: 'y' is a word too many: a line holds at most a label, an instruction and "
         "one operand"});
    row("words too many, tabs shown as blanks", "x DAT 5 6\tfive",
        {"1:9: error: '6 five' are words too many: a line holds at most a label, an instruction "
         "and one operand"});
    row("blank-only line", "INP\n \t\nHLT",
        {"2:1: error: the line holds only blanks or tabs; an empty line is fine, and any other "
         "line needs an instruction"});
    row("no-break space", QStringLiteral("STA\u00A0x"),
        {"1:1: error: 'STA<U+00A0>x': U+00A0 NO-BREAK SPACE between 'STA' and 'x'; use a blank "
         "or a tab"});
    row("zero width space", QStringLiteral("OUT\u200B"),
        {"1:1: error: 'OUT<U+200B>': U+200B ZERO WIDTH SPACE, which is invisible, after 'OUT'; "
         "delete it"});
    row("minus sign", QStringLiteral("LDA \u22125"),
        {"1:5: error: '\u22125': U+2212 MINUS SIGN is not '-'"});
    row("fullwidth letter", QStringLiteral("\uFF2FUT"),
        {"1:1: error: '\uFF2FUT': U+FF2F FULLWIDTH LATIN CAPITAL LETTER O is not 'O'"});
    row("a character beyond U+FFFF", QStringLiteral("OUT\U000E0020"),
        {"1:1: error: 'OUT<U+E0020>': U+E0020, which is invisible, after 'OUT'; delete it"});
    row("too long: counted in cells, at the first line that does not fit",
        repeatedLine("HLT\n", 100) + "\nOUT\n",
        {"202:1: error: the program needs 101 memory cells, one for each line that is not empty, "
         "but the memory has 100; this line is the first that does not fit"});
    row("notes: a colon, a failed definition", "loop: INP\nBRA loop\nsum LDAA x\nADD sum",
        {"2:5: error: label 'loop' is not defined",
         "1:1: note: labels take no colon; this line defines the label 'loop:'",
         "3:5: error: 'LDAA' is not an instruction; did you mean LDA?",
         "3:10: error: label 'x' is not defined", "4:5: error: label 'sum' is not defined",
         "3:1: note: the label 'sum' would be defined here, but this line has an error"});
}

void TestDiagnostics::messages()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const QList<Diagnostic> found = diagnostics::check(text);
    QCOMPARE(oneLines(found), expected);
    QCOMPARE(disagreement(text, found), QString());
}

void TestDiagnostics::limit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("errorLimit");
    QTest::addColumn<QList<qint32>>("errorLines"); // of the errors kept; 0 for the last one

    const QString undefined = repeatedLine("LDA x", 25);
    QList<qint32> first20;
    for (qint32 line = 1; line <= 20; ++line)
        first20 << line;
    QTest::newRow("25 errors: the first 20, then stopping")
        << undefined << qsizetype(20) << (first20 + QList<qint32>{0});
    QTest::newRow("exactly 20: no stopping")
        << repeatedLine("LDA x", 20) << qsizetype(20) << first20;
    QTest::newRow("no limit") << undefined << qsizetype(0)
                              << (first20 + QList<qint32>{21, 22, 23, 24, 25});
    // The window reports the pair of words on line 30 first: it takes the 20th place.
    QList<qint32> with30 = first20.first(19);
    with30 << 30 << 0;
    QTest::newRow("the window's error after the limit takes the last place")
        << (repeatedLine("LDA x", 29) + "INP OUT\nLDA x\n") << qsizetype(20) << with30;
    // A program of 120 wrong lines: the window reports the line that does not fit.
    QList<qint32> with101 = first20.first(19);
    with101 << 101 << 0;
    QTest::newRow("too long with errors before it")
        << repeatedLine("LDA x", 120) << qsizetype(20) << with101;
    QTest::newRow("the window's error within the limit stays in place")
        << (repeatedLine("LDA x", 5) + "INP OUT\n" + repeatedLine("LDA x", 30)) << qsizetype(20)
        << (first20 + QList<qint32>{0});
}

void TestDiagnostics::limit()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, errorLimit);
    QFETCH(QList<qint32>, errorLines);
    const QList<Diagnostic> found = diagnostics::check(text, errorLimit);
    QList<qint32> lines;
    for (const Diagnostic &diagnostic : found) {
        if (diagnostic.severity == Severity::Error)
            lines << diagnostic.range.line;
    }
    QCOMPARE(lines, errorLines);
    if (errorLines.last() == 0)
        QCOMPARE(diagnostics::oneLine(found.last()),
                 QStringLiteral("error: too many errors; stopping"));
    QCOMPARE(disagreement(text, found), QString());
}

void TestDiagnostics::limitCounts_data()
{
    limit_data();
    // Lines with two errors each (the words before a comment, then the
    // comment), past the end of the memory, with a pair the window reports.
    QString text;
    for (int k = 0; k < 130; ++k)
        text += k == 70 ? QStringLiteral("INP OUT\n") : QStringLiteral("LDA nowhere ; note\n");
    QTest::newRow("two errors a line") << text << qsizetype(20) << QList<qint32>{};
    QTest::newRow("limit 1") << text << qsizetype(1) << QList<qint32>{};
}

// The errors kept are the same errors, with the same notes, as when every
// one is built, and those left out are counted.
void TestDiagnostics::limitCounts()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, errorLimit);
    const diagnostics::SourceText read(text);
    const QList<Diagnostic> all = diagnostics::errors(read);
    qsizetype omitted = -1;
    QList<Diagnostic> kept = diagnostics::errors(read, errorLimit, &omitted);
    const bool capped = errorLimit > 0 && all.size() > errorLimit;
    QCOMPARE(kept.last().code == diagnostics::Code::TooManyErrors, capped);
    if (capped)
        kept.removeLast();
    QCOMPARE(kept.size(), capped ? errorLimit : all.size());
    QCOMPARE(kept.size() + omitted, all.size());
    qsizetype at = 0;
    for (const Diagnostic &found : std::as_const(kept)) {
        while (at < all.size() && all[at] != found)
            ++at;
        QVERIFY2(at < all.size(), qPrintable(diagnostics::oneLine(found)));
        ++at;
    }
}

// Warnings past the limit are counted into one that says how many.
void TestDiagnostics::warningLimit()
{
    const QString text = "HLT\n" + repeatedLine("LDA", 60) + repeatedLine("HLT 7", 30);
    const diagnostics::SourceText read(text);
    QStringList image;
    for (const diagnostics::SourceLine &line : read.lines())
        image << (line.words.size() == 1 ? QStringLiteral("0") : QStringLiteral("07"));
    const QList<Diagnostic> all = diagnostics::warnings(read, image);
    QVERIFY(all.size() > 25);
    qsizetype omitted = -1;
    const QList<Diagnostic> kept = diagnostics::warnings(read, image, 25, &omitted);
    QCOMPARE(kept.size(), 26);
    QCOMPARE(kept.first(25), all.first(25));
    QCOMPARE(omitted, all.size() - 25);
    QCOMPARE(diagnostics::oneLine(kept.last()),
             QStringLiteral("warning: and %1 more warnings").arg(omitted));
    QCOMPARE(kept.last().name(), QLatin1String("too-many-warnings"));
    QCOMPARE(diagnostics::warnings(read, image, all.size(), &omitted), all);
    QCOMPARE(omitted, 0);
}

void TestDiagnostics::fixes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fixed");

    QTest::newRow("misspelt") << "\toupt"
                              << "Replace 'oupt' with 'out'"
                              << "\tout";
    QTest::newRow("no-break space")
        << QStringLiteral("STA\u00A0x\nx DAT") << "Replace U+00A0 NO-BREAK SPACE with a blank"
        << "STA x\nx DAT";
    QTest::newRow("invisible") << QStringLiteral("O\u200BUT") << "Delete U+200B ZERO WIDTH SPACE"
                               << "OUT";
    QTest::newRow("look-alike after a character of two bytes")
        << QStringLiteral("éx\tDAT\nLDA é\u0445")
        << "Replace U+0445 CYRILLIC SMALL LETTER HA with 'x'" << QStringLiteral("éx\tDAT\nLDA éx");
    QTest::newRow("blank-only line") << "INP\n \t \nHLT"
                                     << "Empty the line"
                                     << "INP\n\nHLT";
    QTest::newRow("two instructions") << "INP  OUT"
                                      << "Put 'OUT' on a line of its own"
                                      << "INP\nOUT";
    QTest::newRow("colon, in the note") << "loop: INP\nBRA loop"
                                        << "Remove the colon"
                                        << "loop INP\nBRA loop";
}

// The first fix of the first diagnostic that has one, applied, removes that error.
void TestDiagnostics::fixes()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, fixed);
    const QList<Diagnostic> found = diagnostics::check(text);
    const auto withFix = std::find_if(found.begin(), found.end(),
                                      [](const Diagnostic &d) { return !d.fixes.isEmpty(); });
    QVERIFY(withFix != found.end());
    QCOMPARE(withFix->fixes.first().title, title);
    QCOMPARE(applied(text, withFix->fixes.first()), fixed);
    QCOMPARE(windowErrorLine(fixed), -1);
}

void TestDiagnostics::warnings_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("findings");

    const auto row = [](const char *tag, const QString &source, const QStringList &findings) {
        QTest::newRow(tag) << source << findings;
    };
    for (const testdata::Sample &sample : testdata::samples())
        row(sample.name, sample.text, {});
    row("refused program", "FOO BAR", {});

    const QString stops = " stops the run with an error when reached";
    const QString range = " is not a whole number from -2147483648 to 2147483647; the cell holds ";
    row("label defined again", "L HLT\n\nl BRA L",
        {"3:1: warning: label 'l' is defined again; line 1 defines the one that is used",
         "3:1: warning: no path from cell 00 reaches this instruction, so it never runs"});
    row("data label defined again", "HLT\nA DAT 7\nA DAT 9",
        {"3:1: warning: label 'A' is defined again; line 2 defines the one that is used, so this "
         "cell holds 7"});
    row("data label defined again with the same value: no clause about the cell",
        "HLT\nA DAT 7\nA DAT 7",
        {"3:1: warning: label 'A' is defined again; line 2 defines the one that is used"});
    row("data values", "HLT\nA DAT abc\nB DAT 1.5\nC DAT 2147483648\nD DAT -2147483648\nE DAT +7",
        {"2:7: warning: data value 'abc'" + range + "0",
         "3:7: warning: data value '1.5'" + range + "0",
         "4:7: warning: data value '2147483648'" + range + "0"});
    row("a minus sign that only looks like one", QStringLiteral("HLT\nA DAT \u22125"),
        {QStringLiteral(
            "2:7: warning: '\u22125': U+2212 MINUS SIGN is not '-'; the cell holds 0")});
    row("operand on HLT", "HLT X\nX DAT",
        {"1:5: warning: operand after HLT, which takes none; the word 00001 still halts"});
    row("operand on INP", "INP X\nHLT\nX DAT",
        {"1:5: warning: operand after INP, which takes none; the word 120102 is no INP and" +
         stops});
    row("operand on labelled OUT", "L OUT X\nHLT\nX DAT",
        {"1:7: warning: operand after OUT, which takes none; the word 12022 is no OUT and" +
         stops});
    row("no operand", "ADD\nHLT", {"1:1: warning: no operand after ADD; the word 01" + stops});
    row("no operand, labelled", "L BRZ\nHLT",
        {"1:3: warning: no operand after BRZ; the word 08" + stops});
    row("colon", "loop: INP\nHLT",
        {"1:1: warning: labels take no colon; this line defines the label 'loop:'"});
    row("DAT without a label", "HLT\n  DAT",
        {"2:3: warning: no label before DAT; the cell holds -1, and no operand can name it"});
    row("no HLT", "INP\nOUT",
        {"warning: the program has no HLT, so a run never halts: it stops with an error or at "
         "the step limit"});
    row("empty program", "\n\n",
        {"warning: the program is empty; a run stops at once with an error"});
    // Whole-program warnings first, then by line; a line's label before its value.
    row("several, in order", "\tOUT\nx: DAT 5\nx: DAT Abc",
        {"warning: the program has no HLT, so a run never halts: it stops with an error or at "
         "the step limit",
         "2:1: warning: labels take no colon; this line defines the label 'x:'",
         "3:1: warning: labels take no colon; this line defines the label 'x:'",
         "3:1: warning: label 'x:' is defined again; line 2 defines the one that is used, so "
         "this cell holds 5",
         "3:8: warning: data value 'Abc'" + range + "5"});
}

void TestDiagnostics::warnings()
{
    QFETCH(QString, source);
    QFETCH(QStringList, findings);
    QCOMPARE(oneLines(diagnostics::warnings(source)), findings);
}

void TestDiagnostics::duplicateLabelNamesTheFirst()
{
    const QList<Diagnostic> found = diagnostics::warnings("HLT\n\tn DAT 1\nN DAT 2");
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].name(), QLatin1String("duplicate-label"));
    QCOMPARE(found[0].related.size(), 1);
    QCOMPARE(found[0].related[0].range, (diagnostics::Range{2, 1, 2}));
    QCOMPARE(found[0].related[0].message, QStringLiteral("first defined here"));
}

void TestDiagnostics::flowWarnings_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("findings");

    const auto row = [](const char *tag, const QString &source, const QStringList &findings) {
        QTest::newRow(tag) << source << findings;
    };
    const QString overwrites = ", so the program overwrites its own code; a stored number loses "
                               "its leading zeros: that line's word ";
    row("store into an instruction: what the stored word decodes to",
        "INP\nSTA total\ntotal LDA one\nADD one\nOUT\nHLT\none DAT 1",
        {"2:5: warning: STA writes into 'total', which labels the instruction on line 3" +
         overwrites +
         "066, stored back, becomes 66, which is no instruction word at all; keep numbers in "
         "DAT lines"});
    row("store into an instruction whose word keeps its digits",
        "LDA x\nSTA o\no OUT\nHLT\nx DAT 3",
        {"2:5: warning: STA writes into 'o', which labels the instruction on line 3" + overwrites +
         "1202, stored back, stays 1202, which decodes to OUT; keep numbers in DAT lines"});
    row("store into data: nothing", "INP\nSTA x\nHLT\nx DAT", {});
    row("branch into data that is no instruction", "INP\nBRZ five\nHLT\nfive DAT 5",
        {"2:5: warning: BRZ jumps to 'five', the data on line 4, whose word 5 is no instruction "
         "word at all; a run that takes this branch stops there with an error"});
    row("branch into data that decodes: a DAT 1202 is a legal OUT", "BRZ o\nHLT\no DAT 1202", {});
    row("data before the first instruction", "x DAT 5\nLDA x\nOUT\nHLT",
        {"1:1: warning: data before the first instruction: the run starts at cell 00, and its "
         "word 5 is no instruction word at all; put the instructions first and the data after "
         "them"});
    row("unreachable: one warning per run of instructions, DAT lines between runs",
        "INP\nBRA end\nOUT\nOUT\nx DAT\nSUB x\nend HLT\nOUT",
        {"3:1: warning: no path from cell 00 reaches the 2 instructions of lines 3 to 4, so "
         "they never run",
         "6:1: warning: no path from cell 00 reaches this instruction, so it never runs",
         "8:1: warning: no path from cell 00 reaches this instruction, so it never runs"});
    row("a conditional branch leads both ways", "l INP\nBRZ end\nOUT\nBRA l\nend HLT", {});
    row("a loop that never halts still reaches its cells", "l INP\nOUT\nBRA l",
        {"warning: the program has no HLT, so a run never halts: it stops with an error or at "
         "the step limit"});
}

void TestDiagnostics::flowWarnings()
{
    QFETCH(QString, source);
    QFETCH(QStringList, findings);
    QCOMPARE(oneLines(diagnostics::warnings(source)), findings);
}

void TestDiagnostics::runNotes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<diagnostics::RunStop>("stop");
    QTest::addColumn<QStringList>("notes");

    const auto fault = [](qint32 address, qint32 previous) {
        diagnostics::RunStop stop;
        stop.address = address;
        stop.previousAddress = previous;
        return stop;
    };
    const auto limit = [](qint32 lowest, qint32 highest, quint64 steps) {
        diagnostics::RunStop stop;
        stop.kind = diagnostics::RunStop::StepLimit;
        stop.lowest = lowest;
        stop.highest = highest;
        stop.recentSteps = steps;
        return stop;
    };
    const QString reached = "the data of this line ";
    QTest::newRow("falls into data: HLT missing")
        << "INP\nOUT\nx DAT 5" << fault(2, 1)
        << QStringList{"3:1: note: the run reached cell 02, " + reached +
                       "('x DAT 5'), and took it for an instruction; a HLT is probably missing "
                       "before the data"};
    QTest::newRow("falls into a DAT without a label")
        << "INP\n  DAT" << fault(1, 0)
        << QStringList{"2:3: note: the run reached cell 01, " + reached +
                       "('DAT'), and took it for an instruction; a HLT is probably missing "
                       "before the data"};
    QTest::newRow("starts on data")
        << "x DAT 5\nLDA x\nHLT" << fault(0, -1)
        << QStringList{"1:1: note: the run starts at cell 00, " + reached +
                       "('x DAT 5'), and took it for an instruction; "
                       "put the instructions first and the data "
                       "after them"};
    QTest::newRow("a branch into data, even to the next cell")
        << "INP\nBRP x\nx DAT 5\nHLT" << fault(2, 1)
        << QStringList{"3:1: note: the branch on line 2 jumped to cell 02, " + reached +
                       "('x DAT 5'), and took it for an instruction; a branch should name the "
                       "label of an instruction"};
    QTest::newRow("past the end after a final INP")
        << "INP\nOUT\nINP" << fault(3, 2)
        << QStringList{"3:1: note: the run went past the end of the program into cell 03: the "
                       "program has 3 lines (cells 00 to 02), and a HLT or a branch is missing "
                       "after its last instruction"};
    QTest::newRow("a two-cell loop stopped on its lower cell")
        << "INP\nSTA x\nl OUT\nBRA l\nx DAT" << limit(2, 3, 10)
        << QStringList{"3:1: note: in its last 10 steps the run looped between cell 02 (line 3) "
                       "and cell 03 (line 4)"};
    QTest::newRow("one cell") << "l BRA l" << limit(0, 0, 5)
                              << QStringList{"1:1: note: in its last 5 steps the run looped at "
                                             "cell 00 (line 1)"};
}

void TestDiagnostics::runNotes()
{
    QFETCH(QString, source);
    QFETCH(diagnostics::RunStop, stop);
    QFETCH(QStringList, notes);
    QCOMPARE(oneLines(diagnostics::runNotes(diagnostics::SourceText(source), stop)), notes);
}

void TestDiagnostics::runErrors_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint32>("address");
    QTest::addColumn<machine::Fault>("fault");
    QTest::addColumn<QString>("expected");

    using machine::Fault;
    QTest::newRow("at the mnemonic after a label")
        << "INP\nx\tHLT" << 1 << Fault{Fault::UnknownOpcode, 0, 12, {}, machine::Decimal::Ok}
        << "2:3: error: no instruction has the operation code <12>";
    QTest::newRow("a data line as a whole")
        << "INP\n x DAT 5 " << 1
        << Fault{Fault::BadWord, 0, 0, QStringLiteral("5"), machine::Decimal::NoDigits}
        << "2:2: error: invalid argument <5>";
    QTest::newRow("no address")
        << "BRA x\nx DAT 150" << -1
        << Fault{Fault::ProgramCounterOutside, 150, 0, {}, machine::Decimal::Ok}
        << "error: program counter <150> is outside the memory (addresses 0 to 99)";
    QTest::newRow("past the program")
        << "OUT" << 1
        << Fault{Fault::BadWord, 0, 0, QStringLiteral("00"), machine::Decimal::NoDigits}
        << "error: invalid argument <00>";
    QTest::newRow("an address outside the memory")
        << "LDA x\nx DAT 150" << 0
        << Fault{Fault::AddressOutside, 150, machine::Load, {}, machine::Decimal::Ok}
        << "1:1: error: instruction LDA uses address <150>, outside the memory (addresses 0 to "
           "99)";
}

void TestDiagnostics::runErrors()
{
    QFETCH(QString, source);
    QFETCH(qint32, address);
    QFETCH(machine::Fault, fault);
    QFETCH(QString, expected);
    const Diagnostic found =
        diagnostics::runError(diagnostics::SourceText(source), address, diagnostics::Code::RunError,
                              diagnostics::faultText(fault));
    QCOMPARE(diagnostics::oneLine(found), expected);
    QCOMPARE(found.name(), QLatin1String("run-error"));
}

// Every field, with the kinds of value a reader of the JSON expects.
void TestDiagnostics::json()
{
    const QList<Diagnostic> found = diagnostics::check("x DAT\nBRA é\nBRX x");
    QCOMPARE(found.size(), 2);
    const QJsonObject undefined = diagnostics::toJson(found[0]);
    QCOMPARE(undefined.value("kind").toString(), QStringLiteral("undefined-label"));
    QCOMPARE(undefined.value("severity").toString(), QStringLiteral("error"));
    QCOMPARE(undefined.value("line").toInt(), 2);
    QCOMPARE(undefined.value("column").toInt(), 5);
    QCOMPARE(undefined.value("end_column").toInt(), 7); // é takes two bytes
    QCOMPARE(undefined.value("message").toString(), QStringLiteral("label 'é' is not defined"));
    QVERIFY(undefined.value("related").isArray());
    QVERIFY(undefined.value("fixes").toArray().isEmpty());

    const QJsonObject misspelt = diagnostics::toJson(found[1]);
    const QJsonArray fixes = misspelt.value("fixes").toArray();
    QCOMPARE(fixes.size(), 5);
    const QJsonObject fix = fixes.at(1).toObject();
    QCOMPARE(fix.value("title").toString(), QStringLiteral("Replace 'BRX' with 'BRZ'"));
    const QJsonObject edit = fix.value("edits").toArray().at(0).toObject();
    QCOMPARE(edit.value("line").toInt(), 3);
    QCOMPARE(edit.value("column").toInt(), 1);
    QCOMPARE(edit.value("end_column").toInt(), 4);
    QCOMPARE(edit.value("replacement").toString(), QStringLiteral("BRZ"));

    const QJsonObject related = diagnostics::toJson(diagnostics::warnings("HLT\nA DAT\nA DAT")[0])
                                    .value("related")
                                    .toArray()
                                    .at(0)
                                    .toObject();
    QCOMPARE(related.value("line").toInt(), 2);
    QCOMPARE(related.value("column").toInt(), 1);
    QCOMPARE(related.value("message").toString(), QStringLiteral("first defined here"));
}

void TestDiagnostics::words_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected"); // "LINE:BEGIN-END KEY" per word, lines in order

    QTest::newRow("empty lines take no cell, blank-only lines do")
        << "\n\nINP\n \t\n"
        << QStringList{"3:0-3 INP", "4:"};
    QTest::newRow("tabs and blanks split, bytes counted")
        << "\tlda\t  x" << QStringList{"1:1-4 LDA", "1:7-8 X"};
    QTest::newRow("Unicode spaces trimmed at the ends only")
        << QStringLiteral("\u3000OUT\u00A0x\u2003")
        << QStringList{QStringLiteral("1:3-9 OUT\u00A0X")};
    QTest::newRow("characters of two, three and four bytes")
        << QStringLiteral("é € \U0001F600 x")
        << QStringList{QStringLiteral("1:0-2 É"), QStringLiteral("1:3-6 €"),
                       QStringLiteral("1:7-11 \U0001F600"), QStringLiteral("1:12-13 X")};
    QTest::newRow("a carriage return splits like a blank")
        << "INP\r\nOUT\rHLT" << QStringList{"1:0-3 INP", "2:0-3 OUT", "2:4-7 HLT"};
}

void TestDiagnostics::words()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QStringList got;
    const diagnostics::SourceText read(text);
    for (const diagnostics::SourceLine &line : read.lines()) {
        if (line.words.isEmpty())
            got << QStringLiteral("%1:").arg(line.number);
        for (const diagnostics::Word &word : line.words)
            got << QStringLiteral("%1:%2-%3 %4")
                       .arg(line.number)
                       .arg(word.begin)
                       .arg(word.end)
                       .arg(word.key());
    }
    QCOMPARE(got, expected);
}

void TestDiagnostics::shownAsWritten_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Total"
                           << "'Total'";
    QTest::newRow("tab as a blank") << "a\tb"
                                    << "'a b'";
    QTest::newRow("look-alikes as they are")
        << QStringLiteral("\u22125") << QStringLiteral("'\u22125'");
    QTest::newRow("spaces and invisible characters by code point")
        << QStringLiteral("a\u00A0b\u200Bc\u0001") << "'a<U+00A0>b<U+200B>c<U+0001>'";
}

void TestDiagnostics::shownAsWritten()
{
    QFETCH(QString, word);
    QFETCH(QString, expected);
    QCOMPARE(diagnostics::quoted(word), expected);
}

// What an editor counting UTF-16 units needs: the units before a byte offset.
void TestDiagnostics::utf16Units_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("bytes");
    QTest::addColumn<qsizetype>("units");
    const QString text = QStringLiteral("a\u00E9\u20AC\U0001F600x");
    QTest::newRow("start") << text << 0 << qsizetype(0);
    QTest::newRow("after ASCII") << text << 1 << qsizetype(1);
    QTest::newRow("after two bytes") << text << 3 << qsizetype(2);
    QTest::newRow("inside three bytes") << text << 4 << qsizetype(2);
    QTest::newRow("after three bytes") << text << 6 << qsizetype(3);
    QTest::newRow("after four bytes: a surrogate pair") << text << 10 << qsizetype(5);
    QTest::newRow("the end") << text << 11 << qsizetype(6);
    QTest::newRow("past the end") << text << 99 << qsizetype(6);
}

void TestDiagnostics::utf16Units()
{
    QFETCH(QString, text);
    QFETCH(qint32, bytes);
    QFETCH(qsizetype, units);
    QCOMPARE(diagnostics::charsBefore(text, bytes), units);
    QCOMPARE(diagnostics::utf8Length(text), qint32(text.toUtf8().size()));
}

QTEST_APPLESS_MAIN(TestDiagnostics)
#include "tst_diagnostics.moc"
