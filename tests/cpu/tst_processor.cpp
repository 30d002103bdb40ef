#include "cpu/processor.h"

#include <QTest>

using machine::Processor;

namespace
{

// Words from address 0; every other cell holds the text of an empty cell.
void load(Processor &processor, const QStringList &words)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, address < words.size() ? words[address] : QStringLiteral("00"));
}

struct RunResult {
    QList<int> output;
    QStringList operandErrors;
    QString end; // "halt", "limit", "no input" or the fault message
};

RunResult runToEnd(Processor &processor, QList<int> inputs, quint64 stepLimit = 100000)
{
    RunResult result;
    for (;;) {
        const Processor::Stop stop = processor.run(stepLimit);
        for (const qint32 value : processor.takeChanges().output)
            result.output << value;
        switch (stop) {
        case Processor::Stop::Halted:
            result.end = QStringLiteral("halt");
            return result;
        case Processor::Stop::StepLimit:
            result.end = QStringLiteral("limit");
            return result;
        case Processor::Stop::Fault:
            result.end = processor.faultMessage();
            return result;
        case Processor::Stop::OperandNotNumber:
            result.operandErrors << processor.operandErrorLine();
            break;
        case Processor::Stop::NeedsInput:
            if (inputs.isEmpty()) {
                result.end = QStringLiteral("no input");
                return result;
            }
            processor.completeInput(inputs.takeFirst());
            break;
        }
    }
}

QStringList wordsAt(std::initializer_list<std::pair<int, const char *>> placed)
{
    QStringList words;
    for (int address = 0; address < machine::kMemorySize; ++address)
        words << QStringLiteral("00");
    for (const auto &[address, word] : placed)
        words[address] = QString::fromLatin1(word);
    return words;
}

const QString kPcOutside = QStringLiteral("Error: program counter <%1> is outside the memory "
                                          "(addresses 0 to 99).");
const QString kAddressOutside = QStringLiteral("Error: instruction %1 uses address <%2>, outside "
                                               "the memory (addresses 0 to 99).");

} // namespace

class TestProcessor : public QObject
{
    Q_OBJECT

private slots:
    void programs_data();
    void programs();
    void storeWritesPlainDecimalText();
    void currentCellFollowsCompletedSteps();
    void firstStepFailureShowsNoDecode();
    void stepLimitResumes();
    void outOfRangeWordsLeaveMemoryAlone();
};

void TestProcessor::programs_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QList<int>>("output");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("accumulator");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("operandErrors");

    const QString halt = QStringLiteral("halt");
    const QStringList noErrors;

    QTest::newRow("INP OUT HLT with 42") << QStringList{"1201", "1202", "000"} << QList<int>{42}
                                         << QList<int>{42} << halt << 42 << 0 << noErrors;
    QTest::newRow("adding 2 inputs")
        << QStringList{"1201", "0506", "1201", "0106", "1202", "000", "0"} << QList<int>{3, 4}
        << QList<int>{7} << halt << 7 << 0 << noErrors;
    QTest::newRow("two outputs") << QStringList{"0605", "1202", "0106", "1202", "000", "5", "2"}
                                 << QList<int>{} << QList<int>{5, 7} << halt << 7 << 0 << noErrors;
    QTest::newRow("ADD wraps") << QStringList{"0604", "0105", "1202", "000", "2147483647", "1"}
                               << QList<int>{} << QList<int>{-2147483647 - 1} << halt
                               << -2147483647 - 1 << 0 << noErrors;
    QTest::newRow("SUB wraps") << QStringList{"0604", "0205", "1202", "000", "-2147483648", "1"}
                               << QList<int>{} << QList<int>{2147483647} << halt << 2147483647 << 0
                               << noErrors;
    QTest::newRow("MUL wraps") << QStringList{"0604", "0305", "1202", "000", "65536", "65536"}
                               << QList<int>{} << QList<int>{0} << halt << 0 << 0 << noErrors;
    QTest::newRow("7 DIV -2") << QStringList{"0604", "0405", "1202", "000", "7", "-2"}
                              << QList<int>{} << QList<int>{-3} << halt << -3 << 0 << noErrors;
    QTest::newRow("-7 DIV 2") << QStringList{"0604", "0405", "1202", "000", "-7", "2"}
                              << QList<int>{} << QList<int>{-3} << halt << -3 << 0 << noErrors;
    QTest::newRow("smallest DIV -1 wraps")
        << QStringList{"0604", "0405", "1202", "000", "-2147483648", "-1"} << QList<int>{}
        << QList<int>{-2147483647 - 1} << halt << -2147483647 - 1 << 0 << noErrors;
    QTest::newRow("DIV by zero sets flags, BRG branches")
        << QStringList{"0607", "0408", "1104", "000", "1202", "000", "00", "9", "0"} << QList<int>{}
        << QList<int>{9} << halt << 9 << 1 << noErrors;
    QTest::newRow("BRG without flags") << QStringList{"1103", "1202", "000", "000"} << QList<int>{}
                                       << QList<int>{0} << halt << 0 << 0 << noErrors;
    QTest::newRow("BRP does not branch on 0")
        << QStringList{"0903", "1202", "000", "000"} << QList<int>{} << QList<int>{0} << halt << 0
        << 0 << noErrors;
    QTest::newRow("BRP branches on positive")
        << QStringList{"1201", "0904", "1202", "000", "000"} << QList<int>{1} << QList<int>{}
        << halt << 1 << 0 << noErrors;
    QTest::newRow("BRZ branches on 0") << QStringList{"0803", "1202", "000", "000"} << QList<int>{}
                                       << QList<int>{} << halt << 0 << 0 << noErrors;
    QTest::newRow("BRN branches on negative")
        << QStringList{"0605", "1004", "1202", "000", "000", "-1"} << QList<int>{} << QList<int>{}
        << halt << -1 << 0 << noErrors;
    QTest::newRow("BRA") << QStringList{"0703", "1202", "000", "000"} << QList<int>{}
                         << QList<int>{} << halt << 0 << 0 << noErrors;
    QTest::newRow("LDA of an instruction word")
        << QStringList{"0603", "1202", "000", "0105"} << QList<int>{} << QList<int>{105} << halt
        << 105 << 0 << noErrors;
    QTest::newRow("data word 100 acts as BRN 0")
        << QStringList{"1201", "100", "1202", "000"} << QList<int>{-1, 5} << QList<int>{5} << halt
        << 5 << 0 << noErrors;
    QTest::newRow("HLT with operand halts")
        << QStringList{"00007"} << QList<int>{} << QList<int>{} << halt << 0 << 0 << noErrors;
    QTest::newRow("INP with operand is no instruction")
        << QStringList{"120107"} << QList<int>{} << QList<int>{}
        << QStringLiteral("Error in execution <12>.\n") << 0 << 0 << noErrors;
    QTest::newRow("negative code")
        << QStringList{"-107"} << QList<int>{} << QList<int>{}
        << QStringLiteral("Error in execution <-1>.\n") << 0 << 0 << noErrors;
    QTest::newRow("running into an empty cell")
        << QStringList{"1202"} << QList<int>{} << QList<int>{0}
        << QStringLiteral("invalid argument <00>.") << 0 << 0 << noErrors;
    QTest::newRow("running into a single-digit data word")
        << QStringList{"0"} << QList<int>{} << QList<int>{}
        << QStringLiteral("invalid argument <0>.") << 0 << 0 << noErrors;
    QTest::newRow("running past the last cell")
        << wordsAt({{0, "0799"}, {99, "1202"}}) << QList<int>{} << QList<int>{0}
        << kPcOutside.arg(100) << 0 << 0 << noErrors;
    QTest::newRow("branch beyond memory") << QStringList{"07150"} << QList<int>{} << QList<int>{}
                                          << kPcOutside.arg(150) << 0 << 0 << noErrors;
    QTest::newRow("branch to a negative address")
        << QStringList{"07-5"} << QList<int>{} << QList<int>{} << kPcOutside.arg(-5) << 0 << 0
        << noErrors;
    QTest::newRow("LDA outside memory")
        << QStringList{"06150"} << QList<int>{} << QList<int>{}
        << kAddressOutside.arg("LDA").arg(150) << 0 << 0 << noErrors;
    QTest::newRow("STA outside memory")
        << QStringList{"05100"} << QList<int>{} << QList<int>{}
        << kAddressOutside.arg("STA").arg(100) << 0 << 0 << noErrors;
    QTest::newRow("DIV at a negative address")
        << QStringList{"04-3"} << QList<int>{} << QList<int>{} << kAddressOutside.arg("DIV").arg(-3)
        << 0 << 0 << noErrors;
    QTest::newRow("stored word runs as the new instruction")
        << wordsAt({{0, "0704"},
                    {1, "0608"},
                    {2, "0504"},
                    {3, "0704"},
                    {4, "0701"},
                    {5, "000"},
                    {8, "1202"}})
        << QList<int>{} << QList<int>{1202} << halt << 1202 << 0 << noErrors;
    QTest::newRow("stored value is read back")
        << QStringList{"0606", "0106", "0506", "0606", "1202", "000", "5"} << QList<int>{}
        << QList<int>{10} << halt << 10 << 0 << noErrors;
    QTest::newRow("operands that are no numbers")
        << QStringList{"0106", "0206", "0306", "0406", "0606", "000", "x"} << QList<int>{}
        << QList<int>{} << halt << 0 << 0
        << QStringList{"Error instruction(ADD): opcode=<1>,address=<6>.\n",
                       "Error instruction(SUB): opcode=<2>,address=<6>.\n",
                       "Error instruction(MUL): opcode=<3>,address=<6>.\n",
                       "Error instruction(DIV): opcode=<4>,address=<6>.\n",
                       "Error instruction(LDA): opcode=<6>,address=<6>.\n"};
    QTest::newRow("operand too large for 32 bits")
        << QStringList{"0603", "1202", "000", "99999999999"} << QList<int>{} << QList<int>{0}
        << halt << 0 << 0 << QStringList{"Error instruction(LDA): opcode=<6>,address=<3>.\n"};
    QTest::newRow("loop without halt") << QStringList{"0700"} << QList<int>{} << QList<int>{}
                                       << QStringLiteral("limit") << 0 << 0 << noErrors;
}

void TestProcessor::programs()
{
    QFETCH(QStringList, words);
    QFETCH(QList<int>, inputs);
    QFETCH(QList<int>, output);
    QFETCH(QString, end);
    QFETCH(int, accumulator);
    QFETCH(int, flags);
    QFETCH(QStringList, operandErrors);

    Processor processor;
    load(processor, words);
    const RunResult result = runToEnd(processor, inputs);
    QCOMPARE(result.end, end);
    QCOMPARE(result.output, output);
    QCOMPARE(result.operandErrors, operandErrors);
    QCOMPARE(processor.accumulator(), accumulator);
    QCOMPARE(processor.flags(), flags);
    QCOMPARE(processor.halted(), end == QLatin1String("halt"));
}

void TestProcessor::storeWritesPlainDecimalText()
{
    Processor processor;
    load(processor, {"0603", "0507", "000", "5", "", "", "", "0042"});
    QCOMPARE(processor.run(), Processor::Stop::Halted);
    QCOMPARE(processor.word(7), QStringLiteral("5"));
    const Processor::Changes changes = processor.takeChanges();
    QCOMPARE(changes.storedCells.count(), size_t(1));
    QVERIFY(changes.storedCells.test(7));
    QCOMPARE(processor.takeChanges().storedCells.count(), size_t(0));
}

void TestProcessor::currentCellFollowsCompletedSteps()
{
    Processor processor;
    load(processor, {"000"});
    QCOMPARE(processor.run(), Processor::Stop::Halted);
    QCOMPARE(processor.pc(), 1);
    QCOMPARE(processor.changes().currentCell, std::optional<qint32>(1));

    // The failing step moves nothing: the current cell stays where the last
    // completed step left it.
    load(processor = Processor(), {"1202", "0703", "000", "00"});
    QCOMPARE(processor.run(), Processor::Stop::Fault);
    QCOMPARE(processor.pc(), 4);
    QCOMPARE(processor.changes().currentCell, std::optional<qint32>(3));
    QVERIFY(processor.changes().pc);

    // INP completes its step only once the value has been given.
    load(processor = Processor(), {"1201", "000"});
    QCOMPARE(processor.run(), Processor::Stop::NeedsInput);
    QVERIFY(!processor.changes().currentCell);
    processor.completeInput(8);
    QCOMPARE(processor.changes().currentCell, std::optional<qint32>(1));
    QVERIFY(!processor.changes().accumulator);
}

void TestProcessor::firstStepFailureShowsNoDecode()
{
    Processor processor;
    load(processor, {});
    QCOMPARE(processor.run(), Processor::Stop::Fault);
    QCOMPARE(processor.faultMessage(), QStringLiteral("invalid argument <00>."));
    QVERIFY(processor.changes().pc);
    QVERIFY(!processor.changes().decoded);
    QVERIFY(!processor.changes().currentCell);
}

void TestProcessor::stepLimitResumes()
{
    Processor processor;
    load(processor, {"0700"});
    QCOMPARE(processor.run(1000), Processor::Stop::StepLimit);
    QCOMPARE(processor.executedSteps(), quint64(1000));
    QCOMPARE(processor.run(1000), Processor::Stop::StepLimit);
    QCOMPARE(processor.executedSteps(), quint64(1000));
    QCOMPARE(processor.run(2500), Processor::Stop::StepLimit);
    QCOMPARE(processor.executedSteps(), quint64(2500));
}

void TestProcessor::outOfRangeWordsLeaveMemoryAlone()
{
    Processor processor;
    load(processor, {"1202"});
    processor.setWord(-1, QStringLiteral("1"));
    processor.setWord(100, QStringLiteral("1"));
    QCOMPARE(processor.word(-1), QString());
    QCOMPARE(processor.word(100), QString());
    QCOMPARE(processor.word(99), QStringLiteral("00"));
}

QTEST_APPLESS_MAIN(TestProcessor)
#include "tst_processor.moc"
