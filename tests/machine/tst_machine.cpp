// The machine's rules: reading a cell or a typed text as a decimal number,
// the accumulator's wrapping arithmetic, the instruction set, and instruction
// words as the assembler writes them and the processor reads them.
#include "machine/arithmetic.h"
#include "machine/decimal.h"
#include "machine/instructionset.h"
#include "machine/instructionword.h"
#include "machine/typedinput.h"
#include "machine/word.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>

namespace
{

constexpr int kMax = std::numeric_limits<qint32>::max();
constexpr int kMin = std::numeric_limits<qint32>::min();

QString repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

} // namespace

class TestMachine : public QObject
{
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void arithmetic_data();
    void arithmetic();
    void instructions_data();
    void instructions();
    void decode_data();
    void decode();
    void wordsReadBackAsWritten();
};

void TestMachine::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number"); // the value, "no digits" or "out of range"

    const auto row = [](const char *tag, const QString &text, const QString &number) {
        QTest::newRow(tag) << text << number;
    };
    const QString none = QStringLiteral("no digits");
    const QString range = QStringLiteral("out of range");

    row("plain", "42", "42");
    row("zero", "0", "0");
    row("leading zeros", "007", "7");
    row("instruction word", "0105", "105");
    row("empty cell", "00", "0");
    row("minus", "-7", "-7");
    row("plus", "+7", "7");
    row("minus zero", "-0", "0");
    row("leading blank before sign", " -5", "-5");
    row("every C white space", " \t\n\v\f\r9", "9");
    row("pasted with line end", "\n-42\r\n", "-42");
    row("trailing text ignored", "12abc", "12");
    row("decimal comma", "3,4", "3");
    row("decimal point", "3.5", "3");
    row("exponent", "1e3", "1");
    row("trailing blank", "8 ", "8");
    row("stops at inner blank", "1 2", "1");
    row("largest", "2147483647", "2147483647");
    row("smallest", "-2147483648", "-2147483648");
    row("smallest with text after", " \t-2147483648xyz", "-2147483648");
    row("many leading zeros", "000000000000000000000042", "42");
    row("100000 zeros then 5", repeated('0', 100000) + "5", "5");
    row("100000 blanks then 7", repeated(' ', 100000) + "7", "7");
    row("zeros then smallest", "-" + repeated('0', 50) + "2147483648", "-2147483648");

    row("empty", "", none);
    row("letters", "abc", none);
    row("sign alone", "-", none);
    row("two signs", "+-5", none);
    row("blank after sign", "- 5", none);
    row("blanks only", "   ", none);
    row("NUL before digits", QStringLiteral("\0005"), none);
    row("NUL ends the digits", QStringLiteral("12\00034"), "12");
    row("NUL after sign", QStringLiteral("-\0007"), none);
    // Only ASCII white space is skipped and only ASCII digits count.
    row("no-break space", QStringLiteral("\u00a012"), none);
    row("ideographic space", QStringLiteral("\u30005"), none);
    row("next line", QStringLiteral("\u00855"), none);
    row("line separator", QStringLiteral("\u20285"), none);
    row("ideographic space after a number", QStringLiteral("42\u3000"), "42");
    row("Arabic-Indic digits", QStringLiteral("\u0661\u0662"), none);
    row("full-width digits", QStringLiteral("\uff11\uff12"), none);
    row("full-width digit ends the number", QStringLiteral("1\uff12"), "1");
    row("full-width minus", QStringLiteral("\uff0d5"), none);
    row("unpaired high surrogate first",
        QStringLiteral("\xd800"
                       "5"),
        none);
    row("unpaired low surrogate after",
        QStringLiteral("5\xdc00"
                       "7"),
        "5");
    row("replacement character",
        QString::fromUtf8("5\xff"
                          "7"),
        "5");

    row("one past largest", "2147483648", range);
    row("one below smallest", "-2147483649", range);
    row("ten times the smallest", "-21474836480", range);
    row("far too long", "99999999999999999999999999", range);
    row("too long then text", "-99999999999x", range);
    row("100000 nines", repeated('9', 100000), range);
    row("zeros then one past largest", repeated('0', 50) + "2147483648", range);
}

// A typed text is taken when it reads as a number; an empty text asks again
// without a word, any other text is answered with "Invalid input.".
void TestMachine::numbers()
{
    QFETCH(QString, text);
    QFETCH(QString, number);

    const machine::Decimal parsed = machine::parseDecimal(text);
    const QString read = parsed.status == machine::Decimal::Ok ? QString::number(parsed.value)
                         : parsed.status == machine::Decimal::NoDigits
                             ? QStringLiteral("no digits")
                             : QStringLiteral("out of range");
    QCOMPARE(read, number);

    const machine::TypedInput typed = machine::readTypedInput(text);
    const QString taken = typed.kind == machine::TypedInput::Accepted ? QString::number(typed.value)
                          : typed.kind == machine::TypedInput::Empty  ? QStringLiteral("empty")
                                                                      : QStringLiteral("invalid");
    QCOMPARE(taken, text.isEmpty() ? QStringLiteral("empty")
                    : parsed.ok()  ? number
                                   : QStringLiteral("invalid"));
    // korvane-run warns about a value of which only the leading number was
    // read: anything after the digits.
    static const QRegularExpression whole(QStringLiteral("^[ \t\n\v\f\r]*[+-]?[0-9]+$"));
    QCOMPARE(typed.readInPart, parsed.ok() && !whole.match(text).hasMatch());
}

void TestMachine::arithmetic_data()
{
    QTest::addColumn<char>("operation");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("wraps"); // the true result lies outside 32 bits

    const auto row = [](const char *tag, char operation, int left, int right, int result,
                        bool wraps = false) {
        QTest::newRow(tag) << operation << left << right << result << wraps;
    };
    row("add", '+', 3, 4, 7);
    row("add up to the largest", '+', kMax - 1, 1, kMax);
    row("add wraps up", '+', kMax, 1, kMin, true);
    row("add wraps down", '+', kMin, -1, kMax, true);
    row("add the two extremes", '+', kMin, kMax, -1);
    row("add smallest twice", '+', kMin, kMin, 0, true);
    row("subtract", '-', 3, 4, -1);
    row("subtract down to the smallest", '-', -1, kMax, kMin);
    row("subtract wraps", '-', kMin, 1, kMax, true);
    row("subtract smallest from zero", '-', 0, kMin, kMin, true);
    row("subtract smallest from minus one", '-', -1, kMin, kMax);
    row("multiply", '*', 6, 7, 42);
    row("multiply negative by negative", '*', -46341, -46340, 2147441940);
    row("multiply wraps", '*', 65536, 65536, 0, true);
    row("multiply wraps sign", '*', kMax, 2, -2, true);
    row("multiply smallest by minus one", '*', kMin, -1, kMin, true);
    row("multiply smallest by one", '*', kMin, 1, kMin);
    row("divide", '/', 42, 6, 7);
    row("divide truncates negative divisor", '/', 7, -2, -3);
    row("divide truncates negative dividend", '/', -7, 2, -3);
    row("divide both negative", '/', -7, -2, 3);
    row("divide by minus one", '/', 5, -1, -5);
    row("divide largest by minus one", '/', kMax, -1, -kMax);
    row("divide smallest by minus one wraps", '/', kMin, -1, kMin, true);
    row("divide smallest by one", '/', kMin, 1, kMin);
}

void TestMachine::arithmetic()
{
    QFETCH(char, operation);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, result);
    QFETCH(bool, wraps);

    const auto compute = operation == '+'   ? machine::wrappingAdd
                         : operation == '-' ? machine::wrappingSubtract
                         : operation == '*' ? machine::wrappingMultiply
                                            : machine::wrappingDivide;
    const auto wrapped = operation == '+'   ? machine::addWraps
                         : operation == '-' ? machine::subtractWraps
                         : operation == '*' ? machine::multiplyWraps
                                            : machine::divideWraps;
    QCOMPARE(compute(left, right), result);
    QCOMPARE(wrapped(left, right), wraps);
}

// What the processor's messages and the trace name a decoded operation code.
void TestMachine::instructions_data()
{
    QTest::addColumn<int>("opcode");
    QTest::addColumn<QString>("instruction"); // mnemonic and operand, empty for no instruction

    QTest::newRow("1") << 1 << "ADD address";
    QTest::newRow("11") << 11 << "BRG address";
    QTest::newRow("1202") << 1202 << "OUT";
    QTest::newRow("0") << 0 << "HLT";
    QTest::newRow("-1, the data directive's code") << -1 << "";
    QTest::newRow("12, input written with an operand") << 12 << "";
    QTest::newRow("smallest int") << kMin << "";
}

void TestMachine::instructions()
{
    QFETCH(int, opcode);
    QFETCH(QString, instruction);

    const machine::Instruction *found = machine::instructionFor(opcode);
    QCOMPARE(found ? QString(found->mnemonic) +
                         (found->operand == machine::Operand::Address ? " address" : "")
                   : QString(),
             instruction);
    QCOMPARE(QString(machine::mnemonicOf(opcode)), instruction.section(' ', 0, 0));
}

void TestMachine::decode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("decoded"); // "opcode address", or the failure message

    const auto row = [](const char *tag, const QString &word, const QString &decoded) {
        QTest::newRow(tag) << word << decoded;
    };
    row("halt", "000", "0 0");
    row("input", "1201", "1201 0");
    row("output", "1202", "1202 0");
    row("ADD 5, two-digit address", "0105", "1 5");
    row("ADD 5, plain address", "015", "1 5");
    row("BRA 99", "0799", "7 99");
    row("four zeros halt", "0000", "0 0");
    row("data word 1234", "1234", "12 34");
    row("data word 100", "100", "10 0");
    row("negative data word", "-12", "-1 2");
    row("INP with operand", "120107", "12 107");
    row("HLT with operand", "00007", "0 7");
    row("DAT with operand", "-107", "-1 7");
    row("address text after digits", "01 5x", "1 5");
    row("whole words are exact", " 1201", "1 201");
    row("empty cell", "00", "invalid argument <00>.");
    row("ADD without operand", "01", "invalid argument <01>.");
    row("DAT code text", "-1", "invalid argument <-1>.");
    row("empty text", "", "invalid argument <>.");
    row("single digit data word", "0", "invalid argument <0>.");
    row("single negative digit", "-5", "invalid argument <-5>.");
    row("letters", "AB12", "invalid argument <AB12>.");
    row("address part without digits", "01AB", "invalid argument <01AB>.");
    row("address too large", "0199999999999", "number out of range <0199999999999>.");
    row("address too small", "06-2147483649", "number out of range <06-2147483649>.");
}

void TestMachine::decode()
{
    QFETCH(QString, word);
    QFETCH(QString, decoded);

    const machine::Decoded result = machine::decodeWord(word);
    QCOMPARE(result.ok() ? QString::number(result.opcode) + QLatin1Char(' ') +
                               QString::number(result.address)
                         : machine::decodeFailureMessage(word, result.status),
             decoded);
}

// Every instruction with an operand, at every address, in both forms of the
// address: the processor reads back what the assembler wrote.
void TestMachine::wordsReadBackAsWritten()
{
    QCOMPARE(machine::encodeWord(u"06", 7, machine::AddressForm::TwoDigits), "0607");
    QCOMPARE(machine::encodeWord(u"06", 7, machine::AddressForm::Plain), "067");
    QCOMPARE(machine::encodeWord(u"06", 45, machine::AddressForm::TwoDigits), "0645");
    for (const machine::Instruction &row : machine::kInstructionSet) {
        if (row.operand != machine::Operand::Address)
            continue;
        for (int address = 0; address < machine::kMemorySize; ++address) {
            for (const auto form : {machine::AddressForm::TwoDigits, machine::AddressForm::Plain}) {
                const QString word = machine::encodeWord(QString(row.code), address, form);
                const machine::Decoded decoded = machine::decodeWord(word);
                QVERIFY2(decoded.ok() && decoded.opcode == row.opcode && decoded.address == address,
                         qPrintable(word));
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestMachine)
#include "tst_machine.moc"
