// What a breakpoint may ask beyond its place, read from its text: conditions
// (comparisons joined left to right), hit counts and log messages, on a
// machine set up by hand; texts that do not read give the reason.
#include "dap/condition.h"

#include <QTest>

namespace
{

// The machine every case looks at: accumulator 7, flags 1, program counter
// 12, cell 05 ("total") holding 20, cell 06 holding text.
machine::Processor machineToLookAt()
{
    machine::Processor processor;
    machine::Processor::Registers registers;
    registers.accumulator = 7;
    registers.flags = 1;
    registers.pc = 12;
    processor.setRegisters(registers);
    processor.setWord(5, QStringLiteral("20"));
    processor.setWord(6, QStringLiteral("hello"));
    return processor;
}

std::optional<qint32> labels(const QString &name)
{
    if (name.compare(QLatin1String("total"), Qt::CaseInsensitive) == 0)
        return 5;
    if (name == QLatin1String("text"))
        return 6;
    return std::nullopt;
}

} // namespace

class TestCondition : public QObject
{
    Q_OBJECT

private slots:
    void conditions_data();
    void conditions();
    void hitCounts_data();
    void hitCounts();
    void logMessages_data();
    void logMessages();
};

void TestCondition::conditions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("holds");
    QTest::addColumn<QString>("error"); // empty when the text reads

    QTest::newRow("acc ==") << "acc == 7" << true << "";
    QTest::newRow("accumulator, upper case") << "ACCUMULATOR != 7" << false << "";
    QTest::newRow("flags, no spaces") << "flags>=1" << true << "";
    QTest::newRow("pc <") << "pc < 12" << false << "";
    QTest::newRow("pc <=") << "pc <= 12" << true << "";
    QTest::newRow("a label's cell") << "Total > 19" << true << "";
    QTest::newRow("a cell") << "[05] == 20" << true << "";
    QTest::newRow("a cell with spaces") << "[ 5 ] == 20" << true << "";
    QTest::newRow("a negative number") << "acc > -8" << true << "";
    QTest::newRow("a cell without a number never holds") << "text == 0 or text != 0" << false << "";
    QTest::newRow("and") << "acc == 7 and flags == 0" << false << "";
    QTest::newRow("or") << "acc == 1 or flags == 1" << true << "";
    QTest::newRow("left to right: (true or false) and false")
        << "acc == 7 or acc == 1 and flags == 0" << false << "";
    QTest::newRow("left to right: (false and true) or true")
        << "acc == 1 and flags == 1 or pc == 12" << true << "";
    QTest::newRow("AND in upper case") << "acc == 7 AND flags == 1" << true << "";

    QTest::newRow("empty") << "  " << false << "The condition is empty.";
    QTest::newRow("no operator")
        << "acc 7" << false
        << "The condition 'acc 7' does not read at 'acc 7': write comparisons like 'acc > 10' "
           "joined by 'and' or 'or'.";
    QTest::newRow("a second operator")
        << "acc == 7 == 7" << false
        << "The condition 'acc == 7 == 7' does not read at 'acc == 7 == 7': write comparisons "
           "like 'acc > 10' joined by 'and' or 'or'.";
    QTest::newRow("the second comparison")
        << "acc == 7 and flags" << false
        << "The condition 'acc == 7 and flags' does not read at 'flags': write comparisons like "
           "'acc > 10' joined by 'and' or 'or'.";
    QTest::newRow("ends with and")
        << "acc == 7 and " << false << "The condition 'acc == 7 and' ends with 'and'.";
    QTest::newRow("an unknown name")
        << "sum > 3" << false << "'sum' is not acc, flags, pc, a label or a cell like [07].";
    QTest::newRow("a cell past the memory")
        << "[100] == 0" << false << "There is no cell 100: the memory has cells 00 to 99.";
    QTest::newRow("not a whole number")
        << "acc > 1.5" << false
        << "The condition 'acc > 1.5' does not read at 'acc > 1.5': write comparisons like 'acc > "
           "10' joined by 'and' or 'or'.";
    QTest::newRow("a number too large")
        << "acc > 99999999999999999999" << false << "'99999999999999999999' is too large a number.";
    QTest::newRow("parentheses")
        << "(acc == 7)" << false
        << "The condition '(acc == 7)' does not read at '(acc == 7)': write comparisons like 'acc "
           "> 10' joined by 'and' or 'or'.";
}

void TestCondition::conditions()
{
    QFETCH(QString, text);
    QFETCH(bool, holds);
    QFETCH(QString, error);
    QString problem;
    const std::optional<dap::Condition> condition = dap::Condition::parse(text, labels, problem);
    QCOMPARE(problem, error);
    QCOMPARE(condition.has_value(), error.isEmpty());
    if (condition)
        QCOMPARE(condition->holds(machineToLookAt()), holds);
}

void TestCondition::hitCounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<quint64>>("stopsAt"); // among hits 1 to 10; empty: does not read

    QTest::newRow("the Nth") << "3" << QList<quint64>{3};
    QTest::newRow("from the Nth on") << ">= 8" << QList<quint64>{8, 9, 10};
    QTest::newRow("every Nth") << "%4" << QList<quint64>{4, 8};
    QTest::newRow("every one") << " % 1 " << QList<quint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    QTest::newRow("zero") << "0" << QList<quint64>{};
    QTest::newRow("every 0th") << "% 0" << QList<quint64>{};
    QTest::newRow("negative") << "-2" << QList<quint64>{};
    QTest::newRow("another operator") << "> 2" << QList<quint64>{};
    QTest::newRow("words") << "twice" << QList<quint64>{};
}

void TestCondition::hitCounts()
{
    QFETCH(QString, text);
    QFETCH(QList<quint64>, stopsAt);
    QString error;
    const std::optional<dap::HitCondition> hit = dap::HitCondition::parse(text, error);
    QCOMPARE(hit.has_value(), !stopsAt.isEmpty());
    if (!hit) {
        QCOMPARE(error, QStringLiteral("The hit count '%1' does not read: write N (the Nth hit), "
                                       "'>= N' or '% N' (every Nth), N a whole number from 1.")
                            .arg(text.trimmed()));
        return;
    }
    QList<quint64> stops;
    for (quint64 hits = 1; hits <= 10; ++hits) {
        if (hit->stopsAt(hits))
            stops << hits;
    }
    QCOMPARE(stops, stopsAt);
}

void TestCondition::logMessages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written"); // or the reason it does not read

    QTest::newRow("plain text") << "here"
                                << "here";
    QTest::newRow("every kind") << "{acc} {flags} {pc} {total} {[05]} {[6]}"
                                << "7 1 12 20 20 hello";
    QTest::newRow("at the ends") << "{ACC}!"
                                 << "7!";
    QTest::newRow("an unknown name")
        << "sum {sum}"
        << "The log message cannot fill in {sum}: 'sum' is not acc, flags, pc, a label or a cell "
           "like [07].";
    QTest::newRow("unclosed") << "acc {acc"
                              << "The log message has a '{' without its '}'.";
    QTest::newRow("a cell past the memory")
        << "{[123]}"
        << "The log message cannot fill in {[123]}: There is no cell 123: the memory has cells 00 "
           "to 99.";
}

void TestCondition::logMessages()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QString error;
    const std::optional<dap::LogMessage> message = dap::LogMessage::parse(text, labels, error);
    QCOMPARE(message ? message->text(machineToLookAt()) : error, written);
}

QTEST_APPLESS_MAIN(TestCondition)
#include "tst_condition.moc"
