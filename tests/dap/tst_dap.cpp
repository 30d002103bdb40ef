// Placeholder replaced below.
#include <QTest>
class TestDap : public QObject { Q_OBJECT };
QTEST_APPLESS_MAIN(TestDap)
#include "tst_dap.moc"
