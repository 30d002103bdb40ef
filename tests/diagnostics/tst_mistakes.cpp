// Beginners' mistakes made in the samples and in random programs: every
// mistake the assembler refuses gets a diagnostic at its line, every fix
// offered does what it says, and following the first fixes never gives a
// program that runs otherwise than the original. The repair rate per kind
// is printed; make bench keeps it.
#include "mistakes.h"

#include <QTest>

class TestMistakes : public QObject
{
    Q_OBJECT

private slots:
    void repairs();
};

void TestMistakes::repairs()
{
    const QList<mistakes::Tally> tallies = mistakes::tallies(60, 20261208);
    qInfo().noquote() << "\n" + mistakes::report(tallies);
    const mistakes::Tally &all = tallies.last();
    QVERIFY(all.refused() > 500);
    QVERIFY2(all.wrong == 0, qPrintable(all.wrongExamples.join(QStringLiteral("\n-----\n"))));
    QCOMPARE(all.unchecked, 0);
    QCOMPARE(all.unplaced, 0);
}

QTEST_GUILESS_MAIN(TestMistakes)
#include "tst_mistakes.moc"
