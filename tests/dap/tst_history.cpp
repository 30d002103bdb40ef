// The checkpoints of a run's history: taken at their spacing, thinned to
// doubling distances into the past once there are too many, found again by
// step count, and dropped from where the run was changed.
#include "dap/session.h"
#include "dap/timeline.h"

#include <QTest>

namespace
{

dap::MachineState at(quint64 step)
{
    dap::MachineState state;
    state.registers.executedSteps = step;
    state.cells[0] = QString::number(step);
    return state;
}

quint64 stepOf(const dap::MachineState &state)
{
    return state.registers.executedSteps;
}

// The step counts of the checkpoints, from the first.
QList<quint64> steps(const dap::Timeline &history)
{
    QList<quint64> kept{stepOf(history.atOrBefore(0))};
    while (const dap::MachineState *next = history.after(kept.last()))
        kept << stepOf(*next);
    return kept;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void recordsAtItsSpacing();
    void thinsToDoublingDistances_data();
    void thinsToDoublingDistances();
    void findsTheNearestCheckpoint();
    void rewriteDropsTheFuture();
};

void TestHistory::recordsAtItsSpacing()
{
    dap::Session session(10, 100);
    dap::Timeline &history = session.timeline();
    history.reset(at(0));
    for (quint64 step = 1; step <= 35; ++step)
        history.record(at(step));
    QCOMPARE(steps(history), (QList<quint64>{0, 10, 20, 30}));
    QCOMPARE(history.nextDue(), quint64(40));
    history.record(at(45)); // a stretch may end past the due step
    QCOMPARE(history.nextDue(), quint64(55));
    QVERIFY(history.bytes() > 5 * sizeof(dap::MachineState));
}

void TestHistory::thinsToDoublingDistances_data()
{
    QTest::addColumn<quint64>("length");
    QTest::newRow("just past the capacity") << quint64(90);
    QTest::newRow("ten times the capacity") << quint64(800);
    QTest::newRow("a thousand times") << quint64(80'000);
}

void TestHistory::thinsToDoublingDistances()
{
    QFETCH(quint64, length);
    constexpr std::size_t capacity = 8;
    dap::Session session(10, capacity);
    dap::Timeline &history = session.timeline();
    history.reset(at(0));
    for (quint64 step = 1; step <= length; ++step)
        history.record(at(step));
    QVERIFY(history.size() <= capacity);
    const QList<quint64> kept = steps(history);
    QCOMPARE(kept.first(), quint64(0));
    QCOMPARE(kept.last(), length / 10 * 10); // the latest is always kept
    QCOMPARE(kept.last() - kept[kept.size() - 2], quint64(10));
    // Going into the past, each distance is at least the one after it.
    for (qsizetype index = 1; index + 1 < kept.size(); ++index)
        QVERIFY2(kept[index] - kept[index - 1] >= kept[index + 1] - kept[index],
                 qPrintable(QStringLiteral("at checkpoint %1").arg(index)));
}

void TestHistory::findsTheNearestCheckpoint()
{
    dap::Session session(10, 100);
    dap::Timeline &history = session.timeline();
    history.reset(at(0));
    for (quint64 step = 1; step <= 30; ++step)
        history.record(at(step));
    QCOMPARE(stepOf(history.atOrBefore(0)), quint64(0));
    QCOMPARE(stepOf(history.atOrBefore(19)), quint64(10));
    QCOMPARE(stepOf(history.atOrBefore(20)), quint64(20));
    QCOMPARE(stepOf(history.atOrBefore(1000)), quint64(30));
    QCOMPARE(history.before(0), nullptr);
    QCOMPARE(stepOf(*history.before(20)), quint64(10));
    QCOMPARE(stepOf(*history.before(25)), quint64(20));
    QCOMPARE(stepOf(*history.after(20)), quint64(30));
    QCOMPARE(history.after(30), nullptr);
}

void TestHistory::rewriteDropsTheFuture()
{
    dap::Session session(10, 100);
    dap::Timeline &history = session.timeline();
    history.reset(at(0));
    for (quint64 step = 1; step <= 40; ++step)
        history.record(at(step));
    dap::MachineState changed = at(20);
    changed.cells[1] = QStringLiteral("changed");
    history.rewrite(changed);
    QCOMPARE(steps(history), (QList<quint64>{0, 10, 20}));
    QCOMPARE(history.atOrBefore(25), changed);
    QCOMPARE(history.nextDue(), quint64(30));
    history.rewrite(at(0)); // changed at the start: only the start is left
    QCOMPARE(steps(history), QList<quint64>{0});
}

QTEST_APPLESS_MAIN(TestHistory)
#include "tst_history.moc"
