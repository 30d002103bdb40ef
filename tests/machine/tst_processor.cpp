// The processor without a window: every instruction, faults, cell
// texts no assembly writes, what it reports to a display, and the step budget.
#include "machine/processor.h"

#include <QTest>

using machine::Processor;

namespace
{

const QString kLongDigits = QStringLiteral("0") + QString(100000, QLatin1Char('9'));

// Words from address 0; every other cell holds the text of an empty cell.
void load(Processor &processor, const QStringList &words)
{
    for (int address = 0; address < machine::kMemorySize; ++address)
        processor.setWord(address, words.value(address, QStringLiteral("00")));
}

QStringList wordsAt(std::initializer_list<std::pair<int, const char *>> placed)
{
    QStringList words(machine::kMemorySize, QStringLiteral("00"));
    for (const auto &[address, word] : placed)
        words[address] = QString::fromLatin1(word);
    return words;
}

struct RunResult {
    QList<int> output;
    QStringList reports; // "address: line" of each operand that is no number
    std::bitset<machine::kMemorySize> stored;
    QString end; // "halt", "limit", "no input", or the fault message and its address
};

RunResult runToEnd(Processor &processor, QList<int> inputs)
{
    RunResult result;
    processor.setOperandReport([&result](qint32 address, const QString &line) {
        result.reports << QString::number(address) + QStringLiteral(": ") + line;
    });
    for (;;) {
        const Processor::Stop stop = processor.run(100000);
        const Processor::Changes changes = processor.takeChanges();
        for (const qint32 value : changes.output)
            result.output << value;
        result.stored |= changes.storedCells;
        switch (stop) {
        case Processor::Stop::Halted:
            result.end = QStringLiteral("halt");
            return result;
        case Processor::Stop::StepLimit:
            result.end = QStringLiteral("limit");
            return result;
        case Processor::Stop::Fault:
            result.end = processor.faultMessage() + QStringLiteral(" at ") +
                         QString::number(processor.faultAddress());
            return result;
        case Processor::Stop::Breakpoint:
        case Processor::Stop::Access:
            result.end = QStringLiteral("breakpoint");
            return result;
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

// What a display has to show, e.g. "pc decoded acc stored:7 output:5 cell:3".
QString describe(const Processor::Changes &changes)
{
    QStringList parts;
    const std::pair<bool, const char *> flags[] = {{changes.pc, "pc"},
                                                   {changes.decoded, "decoded"},
                                                   {changes.accumulator, "acc"},
                                                   {changes.flags, "flags"}};
    for (const auto &[set, name] : flags) {
        if (set)
            parts << QString::fromLatin1(name);
    }
    QStringList stored;
    for (int address = 0; address < machine::kMemorySize; ++address) {
        if (changes.storedCells.test(std::size_t(address)))
            stored << QString::number(address);
    }
    if (!stored.isEmpty())
        parts << QStringLiteral("stored:") + stored.join(QLatin1Char(','));
    QStringList output;
    for (const qint32 value : changes.output)
        output << QString::number(value);
    if (!output.isEmpty())
        parts << QStringLiteral("output:") + output.join(QLatin1Char(','));
    if (changes.stepCompleted) {
        parts << QStringLiteral("cell:") + (changes.currentCell
                                                ? QString::number(*changes.currentCell)
                                                : QStringLiteral("-"));
    }
    return parts.join(QLatin1Char(' '));
}

// Each completed step as an observer is told of it, e.g. "3 04 BRZ not taken 06":
// step number, address, effect and its value, and "wrapped" for a result that did.
class StepRecorder final : public machine::StepObserver
{
public:
    QStringList steps;

    void stepDone(const machine::Step &step) override
    {
        static const char *const effects[] = {"",   "store", "jump", "not taken",
                                              "in", "out",   "flags"};
        QString line = QStringLiteral("%1 %2 acc %3")
                           .arg(step.number)
                           .arg(step.address, 2, 10, QLatin1Char('0'))
                           .arg(step.accumulator);
        if (step.effect != machine::Step::Effect::None)
            line += QStringLiteral(" %1 %2").arg(effects[int(step.effect)]).arg(step.value);
        if (step.wrapped)
            line += QStringLiteral(" wrapped");
        steps << line;
    }
};

} // namespace

class TestProcessor : public QObject
{
    Q_OBJECT

private slots:
    void programs_data();
    void programs();
    void changes_data();
    void changes();
    void observedSteps_data();
    void observedSteps();
    void nextPause_data();
    void nextPause();
    void runsExactlyToTheRequestedStep();
    void noCellOutsideTheMemory();
    void breakpoints_data();
    void breakpoints();
    void registersPutBack();
};

void TestProcessor::programs_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QList<int>>("output");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("accumulator");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("reports");

    const auto row = [](const char *tag, const QStringList &words, const QList<int> &inputs,
                        const QList<int> &output, const QString &end, int accumulator,
                        int flags = 0, const QStringList &reports = {}) {
        QTest::newRow(tag) << words << inputs << output << end << accumulator << flags << reports;
    };
    const QString halt = QStringLiteral("halt");
    const int smallest = -2147483647 - 1;
    const QString pcOutside =
        QStringLiteral("Error: program counter <%1> is outside the memory (addresses 0 to 99). "
                       "at -1");
    const QString outside = QStringLiteral("Error: instruction %1 uses address <%2>, outside the "
                                           "memory (addresses 0 to 99). at 0");
    const QString notNumber =
        QStringLiteral("%1: Error instruction(%2): opcode=<%3>,address=<%4>.\n");

    row("INP OUT HLT with 42", {"1201", "1202", "000"}, {42}, {42}, halt, 42);
    row("two outputs", {"0605", "1202", "0106", "1202", "000", "5", "2"}, {}, {5, 7}, halt, 7);
    row("ADD wraps", {"0604", "0105", "1202", "000", "2147483647", "1"}, {}, {smallest}, halt,
        smallest);
    row("SUB wraps", {"0604", "0205", "1202", "000", "-2147483648", "1"}, {}, {2147483647}, halt,
        2147483647);
    row("MUL wraps", {"0604", "0305", "1202", "000", "65536", "65536"}, {}, {0}, halt, 0);
    row("7 DIV -2", {"0604", "0405", "1202", "000", "7", "-2"}, {}, {-3}, halt, -3);
    row("-7 DIV 2", {"0604", "0405", "1202", "000", "-7", "2"}, {}, {-3}, halt, -3);
    row("smallest DIV -1 wraps", {"0604", "0405", "1202", "000", "-2147483648", "-1"}, {},
        {smallest}, halt, smallest);
    row("DIV by zero sets flags, BRG branches",
        {"0607", "0408", "1104", "000", "1202", "000", "00", "9", "0"}, {}, {9}, halt, 9, 1);
    row("BRG without flags", {"1103", "1202", "000", "000"}, {}, {0}, halt, 0);
    row("BRP does not branch on 0", {"0903", "1202", "000", "000"}, {}, {0}, halt, 0);
    row("BRP branches on positive", {"1201", "0904", "1202", "000", "000"}, {1}, {}, halt, 1);
    row("BRZ branches on 0", {"0803", "1202", "000", "000"}, {}, {}, halt, 0);
    row("BRN branches on negative", {"0605", "1004", "1202", "000", "000", "-1"}, {}, {}, halt, -1);
    row("BRN does not branch on 0", {"1003", "1202", "000", "000"}, {}, {0}, halt, 0);
    row("BRA", {"0703", "1202", "000", "000"}, {}, {}, halt, 0);
    row("LDA of an instruction word", {"0603", "1202", "000", "0105"}, {}, {105}, halt, 105);
    row("data word 100 acts as BRN 0", {"1201", "100", "1202", "000"}, {-1, 5}, {5}, halt, 5);
    row("HLT with operand halts", {"00007"}, {}, {}, halt, 0);
    row("INP with operand is no instruction", {"120107"}, {}, {}, "Error in execution <12>.\n at 0",
        0);
    row("negative code", {"0605", "0704", "", "", "-107", "-3"}, {}, {},
        "Error in execution <-1>.\n at 4", -3);
    row("running into an empty cell", {"1202"}, {}, {0}, "invalid argument <00>. at 1", 0);
    row("running into a single-digit data word", {"0"}, {}, {}, "invalid argument <0>. at 0", 0);
    row("running past the last cell", wordsAt({{0, "0799"}, {99, "1202"}}), {}, {0},
        pcOutside.arg(100), 0);
    row("branch beyond memory", {"07150"}, {}, {}, pcOutside.arg(150), 0);
    row("branch to a negative address", {"07-5"}, {}, {}, pcOutside.arg(-5), 0);
    row("ADD beyond the memory", {"01150"}, {}, {}, outside.arg("ADD").arg(150), 0);
    row("SUB at address 100", {"02100"}, {}, {}, outside.arg("SUB").arg(100), 0);
    row("MUL at a negative address", {"03-7"}, {}, {}, outside.arg("MUL").arg(-7), 0);
    row("DIV at a negative address", {"04-3"}, {}, {}, outside.arg("DIV").arg(-3), 0);
    row("STA outside memory", {"05100"}, {}, {}, outside.arg("STA").arg(100), 0);
    row("LDA outside memory", {"06150"}, {}, {}, outside.arg("LDA").arg(150), 0);
    row("stored word runs as the new instruction",
        wordsAt({{0, "0704"},
                 {1, "0608"},
                 {2, "0504"},
                 {3, "0704"},
                 {4, "0701"},
                 {5, "000"},
                 {8, "1202"}}),
        {}, {1202}, halt, 1202);
    row("stored value is read back", {"0606", "0106", "0506", "0606", "1202", "000", "5"}, {}, {10},
        halt, 10);
    row("loop without halt", {"0700"}, {}, {}, "limit", 0);

    // An operand that is no number is reported and changes nothing; the run goes on.
    row("operands that are no numbers", {"0106", "0206", "0306", "0406", "0606", "000", "x"}, {},
        {}, halt, 0, 0,
        {notNumber.arg(0).arg("ADD").arg(1).arg(6), notNumber.arg(1).arg("SUB").arg(2).arg(6),
         notNumber.arg(2).arg("MUL").arg(3).arg(6), notNumber.arg(3).arg("DIV").arg(4).arg(6),
         notNumber.arg(4).arg("LDA").arg(6).arg(6)});
    row("no number after a number", {"0604", "0405", "0106", "000", "-9", "0", "\u00a07"}, {}, {},
        halt, -9, 1, {notNumber.arg(2).arg("ADD").arg(1).arg(6)});
    row("operand too large for 32 bits", {"0603", "1202", "000", "99999999999"}, {}, {0}, halt, 0,
        0, {notNumber.arg(0).arg("LDA").arg(6).arg(3)});
    row("operand of 100000 digits", {"0602", "000", kLongDigits}, {}, {}, halt, 0, 0,
        {notNumber.arg(0).arg("LDA").arg(6).arg(2)});
    row("operand in full-width digits", {"0102", "000", QStringLiteral("\uff15")}, {}, {}, halt, 0,
        0, {notNumber.arg(0).arg("ADD").arg(1).arg(2)});
    row("operand after C white space", {"0603", "000", "", "\t\n\v\f\r -12\r\n"}, {}, {}, halt,
        -12);

    // Cell texts no assembly writes: NUL characters, carriage returns, white
    // space and digits from outside ASCII, very long texts.
    row("NUL ends the code part", {QStringLiteral("0\0001")}, {}, {}, halt, 0);
    row("NUL ends the address part", {QStringLiteral("0603\000"), "000", "", "-4"}, {}, {}, halt,
        -4);
    row("NUL alone", {QStringLiteral("\000")}, {}, {},
        QStringLiteral("invalid argument <\000>. at 0"), 0);
    row("INP with a carriage return is no INP", {"1201\r"}, {}, {},
        "Error in execution <12>.\n at 0", 0);
    row("OUT with a line feed is no OUT", {"1202\n"}, {}, {}, "Error in execution <12>.\n at 0", 0);
    row("HLT with a line feed still reads as code 0", {"000\n"}, {}, {}, halt, 0);
    row("no-break space before the code", {QStringLiteral("\u00a01201")}, {}, {},
        QStringLiteral("invalid argument <\u00a01201>. at 0"), 0);
    row("full-width digits as code", {QStringLiteral("\uff10\uff10\uff10")}, {}, {},
        QStringLiteral("invalid argument <\uff10\uff10\uff10>. at 0"), 0);
    row("unpaired surrogate as address", {QStringLiteral("06\xdc00")}, {}, {},
        QStringLiteral("invalid argument <06\xdc00>. at 0"), 0);
    row("white space inside the address", {"06\t\r\n 3", "000", "", "8"}, {}, {}, halt, 8);
    row("100000 letters", {QString(100000, QLatin1Char('A'))}, {}, {},
        "invalid argument <" + QString(100000, QLatin1Char('A')) + ">. at 0", 0);
    row("address of 100000 digits", {"06" + kLongDigits}, {}, {},
        "number out of range <06" + kLongDigits + ">. at 0", 0);
    row("100000 zeros before the address",
        {"06" + QString(100000, QLatin1Char('0')) + "3", "000", "", "21"}, {}, {}, halt, 21);
}

void TestProcessor::programs()
{
    QFETCH(QStringList, words);
    QFETCH(QList<int>, inputs);
    QFETCH(QList<int>, output);
    QFETCH(QString, end);
    QFETCH(int, accumulator);
    QFETCH(int, flags);
    QFETCH(QStringList, reports);

    Processor processor;
    load(processor, words);
    const RunResult result = runToEnd(processor, inputs);
    QCOMPARE(result.end, end);
    QCOMPARE(result.output, output);
    QCOMPARE(result.reports, reports);
    QCOMPARE(processor.accumulator(), accumulator);
    QCOMPARE(processor.flags(), flags);
    QCOMPARE(processor.halted(), end == QLatin1String("halt"));
    // Only a store changes memory; every other text is kept exactly.
    for (int address = 0; address < words.size(); ++address) {
        if (!result.stored.test(std::size_t(address)))
            QCOMPARE(processor.word(address), words[address]);
    }
}

void TestProcessor::changes_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("changes"); // at the first stop, then after an input of 8

    QTest::newRow("halt first") << QStringList{"000"} << "pc decoded cell:1";
    QTest::newRow("the failing step moves no cell")
        << QStringList{"1202", "0703", "000", "00"} << "pc decoded output:0 cell:3";
    QTest::newRow("nothing decoded at all") << QStringList{} << "pc";
    QTest::newRow("input completes its step once given")
        << QStringList{"1201", "000"} << "pc decoded / cell:1";
    QTest::newRow("a program counter outside the memory names no cell")
        << wordsAt({{0, "0799"}, {99, "1202"}}) << "pc decoded output:0 cell:-";
    QTest::newRow("store and division by zero")
        << QStringList{"0604", "0507", "0406", "000", "5", "", "0", "0042"}
        << "pc decoded acc flags stored:7 cell:4";
}

void TestProcessor::changes()
{
    QFETCH(QStringList, words);
    QFETCH(QString, changes);

    Processor processor;
    load(processor, words);
    QString seen;
    if (processor.run(1000) == Processor::Stop::NeedsInput) {
        seen = describe(processor.takeChanges()) + QStringLiteral(" / ");
        processor.completeInput(8);
    }
    seen += describe(processor.takeChanges());
    QCOMPARE(seen, changes);
    // Taking the changes empties them; a stored value reads as plain decimal text.
    QCOMPARE(describe(processor.takeChanges()), QString());
    if (words.value(7) == QLatin1String("0042"))
        QCOMPARE(processor.word(7), QStringLiteral("5"));
}

void TestProcessor::observedSteps_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("each branch taken and not")
        << QStringList{"0809", "0908", "1007", "1106", "0805", "000", "000", "000", "000", "000"}
        << QList<int>{} << QStringList{"1 00 acc 0 jump 9", "2 09 acc 0"};
    QTest::newRow("BRP, BRN, BRG on zero and no flags are not taken")
        << QStringList{"0905", "1005", "1105", "0705", "000", "000"} << QList<int>{}
        << QStringList{"1 00 acc 0 not taken 5", "2 01 acc 0 not taken 5", "3 02 acc 0 not taken 5",
                       "4 03 acc 0 jump 5", "5 05 acc 0"};
    QTest::newRow("BRZ not taken on a value, BRN taken")
        << QStringList{"1201", "0805", "1005", "000", "000", "000"} << QList<int>{-4}
        << QStringList{"1 00 acc -4 in -4", "2 01 acc -4 not taken 5", "3 02 acc -4 jump 5",
                       "4 05 acc -4"};
    QTest::newRow("sums that wrap and one that reaches the edge")
        << QStringList{"0607", "0108", "0108", "0209", "0209", "000", "", "2147483646", "1", "1"}
        << QList<int>{}
        << QStringList{"1 00 acc 2147483646",          "2 01 acc 2147483647",
                       "3 02 acc -2147483648 wrapped", "4 03 acc 2147483647 wrapped",
                       "5 04 acc 2147483646",          "6 05 acc 2147483646"};
    QTest::newRow("products and quotients")
        << QStringList{"0607", "0308", "0309", "0408", "0409", "000", "", "-2147483648", "-1", "1"}
        << QList<int>{} << QStringList{"1 00 acc -2147483648", "2 01 acc -2147483648 wrapped",
                                       "3 02 acc -2147483648", "4 03 acc -2147483648 wrapped",
                                       "5 04 acc -2147483648", "6 05 acc -2147483648"};
    QTest::newRow("division by zero sets the flags and wraps nothing")
        << QStringList{"0604", "0405", "000", "", "-2147483648", "0"} << QList<int>{}
        << QStringList{"1 00 acc -2147483648", "2 01 acc -2147483648 flags 1",
                       "3 02 acc -2147483648"};
    QTest::newRow("an operand that is no number neither changes nor wraps")
        << QStringList{"0604", "0105", "000", "", "2147483647", "x"} << QList<int>{}
        << QStringList{"1 00 acc 2147483647", "2 01 acc 2147483647", "3 02 acc 2147483647"};
    QTest::newRow("a store, an input and an output")
        << QStringList{"1201", "0504", "1202", "000"} << QList<int>{12}
        << QStringList{"1 00 acc 12 in 12", "2 01 acc 12 store 4", "3 02 acc 12 out 12",
                       "4 03 acc 12"};
}

// The observer is told what each step did, worked out from its instruction.
void TestProcessor::observedSteps()
{
    QFETCH(QStringList, words);
    QFETCH(QList<int>, inputs);
    QFETCH(QStringList, steps);

    Processor processor;
    load(processor, words);
    StepRecorder recorder;
    processor.setStepObserver(&recorder);
    runToEnd(processor, inputs);
    QCOMPARE(recorder.steps, steps);
}

void TestProcessor::nextPause_data()
{
    QTest::addColumn<quint64>("executed");
    QTest::addColumn<quint64>("every");
    QTest::addColumn<quint64>("limit");
    QTest::addColumn<quint64>("pause");

    const quint64 none = machine::kNoStepLimit;
    QTest::newRow("first question") << quint64(0) << quint64(1000) << quint64(0) << quint64(1000);
    QTest::newRow("after an input") << quint64(999) << quint64(1000) << quint64(0) << quint64(1000);
    QTest::newRow("after a question")
        << quint64(1000) << quint64(1000) << quint64(0) << quint64(2000);
    QTest::newRow("never asks") << quint64(500) << quint64(0) << quint64(0) << none;
    QTest::newRow("limit before the chunk ends")
        << quint64(0) << quint64(65536) << quint64(100) << quint64(100);
    QTest::newRow("chunk before the limit")
        << quint64(70000) << quint64(65536) << quint64(10'000'000) << quint64(131072);
    QTest::newRow("limit alone") << quint64(3) << quint64(0) << quint64(10) << quint64(10);
    QTest::newRow("no multiple left") << none - 5 << quint64(1000) << quint64(0) << none;
    QTest::newRow("last step") << none - 1 << quint64(1) << quint64(0) << none;
}

void TestProcessor::nextPause()
{
    QFETCH(quint64, executed);
    QFETCH(quint64, every);
    QFETCH(quint64, limit);
    QFETCH(quint64, pause);
    QCOMPARE(machine::nextPause(executed, every, limit), pause);
}

void TestProcessor::runsExactlyToTheRequestedStep()
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

void TestProcessor::noCellOutsideTheMemory()
{
    Processor processor;
    load(processor, {"1202"});
    processor.setWord(-1, QStringLiteral("1"));
    processor.setWord(100, QStringLiteral("1"));
    QCOMPARE(processor.word(-1), QString());
    QCOMPARE(processor.word(100), QString());
    QCOMPARE(processor.word(99), QStringLiteral("00"));
}

// A count-down from 3 (cells 0 to 5: LDA 07, SUB 08, STA 07, BRP 01, HLT at 04,
// OUT at 05 never reached) run with breakpoints: the step counts at which it stops.
void TestProcessor::breakpoints_data()
{
    QTest::addColumn<QList<int>>("cells");
    QTest::addColumn<QList<quint64>>("stops"); // executed steps at each Breakpoint stop

    QTest::newRow("none: runs to its halt") << QList<int>{} << QList<quint64>{};
    QTest::newRow("first cell: stops before the first fetch") << QList<int>{0} << QList<quint64>{0};
    QTest::newRow("loop body: each round") << QList<int>{1} << QList<quint64>{1, 4, 7};
    QTest::newRow("halt") << QList<int>{4} << QList<quint64>{10};
    QTest::newRow("never reached") << QList<int>{5} << QList<quint64>{};
    QTest::newRow("two cells") << QList<int>{2, 4} << QList<quint64>{2, 5, 8, 10};
}

void TestProcessor::breakpoints()
{
    QFETCH(QList<int>, cells);
    QFETCH(QList<quint64>, stops);
    Processor processor;
    load(processor, {"0607", "0208", "0507", "0901", "000", "1202", "00", "3", "1"});
    Processor::Breakpoints breakAt;
    for (const int cell : cells)
        breakAt.set(std::size_t(cell));
    QList<quint64> seen;
    for (int round = 0; round < 10; ++round) {
        const Processor::Stop stop = processor.run(machine::kNoStepLimit, &breakAt);
        if (stop != Processor::Stop::Breakpoint) {
            QVERIFY2(stop == Processor::Stop::Halted, qPrintable(processor.faultMessage()));
            break;
        }
        seen << processor.executedSteps();
        // Going on from a breakpoint: its instruction runs before breakpoints count again.
        if (processor.run(processor.executedSteps() + 1) == Processor::Stop::Halted)
            break;
    }
    QCOMPARE(seen, stops);
    QCOMPARE(processor.word(7), QStringLiteral("0"));
}

// Registers taken in the middle of a run and put back into a fresh processor
// with the same memory make the rest of the run the same.
void TestProcessor::registersPutBack()
{
    const QStringList words{"1201", "0309", "0509", "0409", "0410", "1202",
                            "0700", "00",   "00",   "7",    "0"};
    Processor first;
    load(first, words);
    QCOMPARE(first.run(), Processor::Stop::NeedsInput);
    first.completeInput(-3);
    QCOMPARE(first.run(5), Processor::Stop::StepLimit); // after the division by zero
    const Processor::Registers middle = first.registers();
    QCOMPARE(middle.flags, 1);
    QCOMPARE(middle.executedSteps, quint64(5));

    Processor second;
    for (int address = 0; address < machine::kMemorySize; ++address)
        second.setWord(address, first.word(address));
    second.setRegisters(middle);
    QCOMPARE(second.registers(), middle);
    QCOMPARE(first.run(7), Processor::Stop::StepLimit);
    QCOMPARE(second.run(7), Processor::Stop::StepLimit);
    QCOMPARE(second.registers(), first.registers());
    QCOMPARE(second.takeChanges().output, first.takeChanges().output);

    // An input that waits is dropped by setRegisters: the next run fetches it again.
    Processor third;
    load(third, words);
    QCOMPARE(third.run(), Processor::Stop::NeedsInput);
    Processor::Registers before = third.registers();
    before.pc = 0;
    before.executedSteps = 0;
    third.setRegisters(before);
    QCOMPARE(third.run(), Processor::Stop::NeedsInput);
    QCOMPARE(third.executedSteps(), quint64(1));
}

QTEST_APPLESS_MAIN(TestProcessor)
#include "tst_processor.moc"
