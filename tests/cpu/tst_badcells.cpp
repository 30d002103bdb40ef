// Cell texts that no assembly writes but a run must still survive: NUL
// characters, carriage returns, white space and digits from outside ASCII,
// and texts of 100000 characters, both as instructions and as operands.
#include "cpu/processor.h"

#include <QTest>

using machine::Processor;

namespace
{

// The first words from address 0; every other cell holds "00".
void load(Processor &processor, const QStringList &words)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, words.value(address, QStringLiteral("00")));
}

// How a stop reads for a user: the fault message, the operand error line or
// the name of the stop.
QString report(const Processor &processor, Processor::Stop stop)
{
    switch (stop) {
    case Processor::Stop::Halted:
        return QStringLiteral("halted");
    case Processor::Stop::NeedsInput:
        return QStringLiteral("needs input");
    case Processor::Stop::OperandNotNumber:
        return processor.operandErrorLine();
    case Processor::Stop::Fault:
        return processor.faultMessage();
    case Processor::Stop::StepLimit:
        return QStringLiteral("step limit");
    }
    return {};
}

} // namespace

class TestBadCells : public QObject
{
    Q_OBJECT

private slots:
    void firstStop_data();
    void firstStop();
    void badOperandChangesNothing();
};

void TestBadCells::firstStop_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("accumulator");

    const QString longText(100000, QLatin1Char('A'));
    const QString longNumber = "0" + QString(100000, QLatin1Char('9'));

    QTest::newRow("NUL ends the code part")
        << QStringList{QStringLiteral("0\0001")} << "halted" << 0;
    QTest::newRow("NUL ends the address part")
        << QStringList{QStringLiteral("0603\000"), "000", "", "-4"} << "halted" << -4;
    QTest::newRow("NUL alone") << QStringList{QStringLiteral("\000")}
                               << QStringLiteral("invalid argument <\000>.") << 0;
    QTest::newRow("INP with a carriage return is no INP")
        << QStringList{"1201\r"} << "Error in execution <12>.\n"
        << 0;
    QTest::newRow("OUT with a line feed is no OUT")
        << QStringList{"1202\n"} << "Error in execution <12>.\n"
        << 0;
    QTest::newRow("HLT with a line feed still reads as code 0")
        << QStringList{"000\n"} << "halted" << 0;
    QTest::newRow("no-break space before the code")
        << QStringList{QStringLiteral("\u00a01201")}
        << QStringLiteral("invalid argument <\u00a01201>.") << 0;
    QTest::newRow("full-width digits as code")
        << QStringList{QStringLiteral("\uff10\uff10\uff10")}
        << QStringLiteral("invalid argument <\uff10\uff10\uff10>.") << 0;
    QTest::newRow("unpaired surrogate as address")
        << QStringList{QStringLiteral("06\xdc00")} << QStringLiteral("invalid argument <06\xdc00>.")
        << 0;
    QTest::newRow("white space inside the address")
        << QStringList{"06\t\r\n 3", "000", "", "8"} << "halted" << 8;
    QTest::newRow("100000 letters")
        << QStringList{longText} << "invalid argument <" + longText + ">." << 0;
    QTest::newRow("address of 100000 digits")
        << QStringList{"06" + longNumber} << "number out of range <06" + longNumber + ">." << 0;
    QTest::newRow("100000 zeros before the address")
        << QStringList{"06" + QString(100000, QLatin1Char('0')) + "3", "000", "", "21"} << "halted"
        << 21;
    QTest::newRow("operand of 100000 digits")
        << QStringList{"0601", longNumber} << "Error instruction(LDA): opcode=<6>,address=<1>.\n"
        << 0;
    QTest::newRow("operand in full-width digits")
        << QStringList{"0101", QStringLiteral("\uff15")}
        << "Error instruction(ADD): opcode=<1>,address=<1>.\n"
        << 0;
    QTest::newRow("operand after a no-break space")
        << QStringList{"0201", QStringLiteral("\u00a05")}
        << "Error instruction(SUB): opcode=<2>,address=<1>.\n"
        << 0;
    // Data words run as instructions can name cells the memory does not have.
    const QString outside = QStringLiteral("Error: instruction %1 uses address <%2>, outside the "
                                           "memory (addresses 0 to 99).");
    QTest::newRow("ADD beyond the memory")
        << QStringList{"01150"} << outside.arg("ADD").arg(150) << 0;
    QTest::newRow("SUB at address 100") << QStringList{"02100"} << outside.arg("SUB").arg(100) << 0;
    QTest::newRow("MUL at a negative address")
        << QStringList{"03-7"} << outside.arg("MUL").arg(-7) << 0;
    QTest::newRow("operand after C white space")
        << QStringList{"0603", "000", "", "\t\n\v\f\r -12\r\n"} << "halted" << -12;
}

void TestBadCells::firstStop()
{
    QFETCH(QStringList, words);
    QFETCH(QString, report);
    QFETCH(int, accumulator);

    Processor processor;
    load(processor, words);
    QCOMPARE(::report(processor, processor.run(10)), report);
    QCOMPARE(processor.accumulator(), accumulator);
    // Nothing but STA writes memory; the texts are kept exactly.
    for (int address = 0; address < words.size(); ++address)
        QCOMPARE(processor.word(address), words[address]);
}

// An operand that is no number leaves every register as it was, and the run
// goes on with the next word.
void TestBadCells::badOperandChangesNothing()
{
    Processor processor;
    load(processor, {"0604", "0405", "0106", "000", "-9", "0", QStringLiteral("\u00a07")});
    QCOMPARE(processor.run(), Processor::Stop::OperandNotNumber);
    QCOMPARE(processor.accumulator(), -9);
    QCOMPARE(processor.flags(), 1);
    QCOMPARE(processor.pc(), 3);
    QCOMPARE(processor.run(), Processor::Stop::Halted);
    QCOMPARE(processor.accumulator(), -9);
    QCOMPARE(processor.executedSteps(), quint64(4));
}

QTEST_APPLESS_MAIN(TestBadCells)
#include "tst_badcells.moc"
