#include "machine/arithmetic.h"

#include <QTest>

#include <limits>

namespace
{
constexpr int kMax = std::numeric_limits<qint32>::max();
constexpr int kMin = std::numeric_limits<qint32>::min();
} // namespace

class TestArithmetic : public QObject
{
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
};

void TestArithmetic::operations_data()
{
    QTest::addColumn<QChar>("operation");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("result");

    QTest::newRow("add") << QChar('+') << 3 << 4 << 7;
    QTest::newRow("add wraps up") << QChar('+') << kMax << 1 << kMin;
    QTest::newRow("add wraps down") << QChar('+') << kMin << -1 << kMax;
    QTest::newRow("subtract") << QChar('-') << 3 << 4 << -1;
    QTest::newRow("subtract wraps") << QChar('-') << kMin << 1 << kMax;
    QTest::newRow("subtract smallest from zero") << QChar('-') << 0 << kMin << kMin;
    QTest::newRow("multiply") << QChar('*') << 6 << 7 << 42;
    QTest::newRow("multiply wraps") << QChar('*') << 65536 << 65536 << 0;
    QTest::newRow("multiply wraps sign") << QChar('*') << kMax << 2 << -2;
    QTest::newRow("multiply smallest by minus one") << QChar('*') << kMin << -1 << kMin;
    QTest::newRow("divide") << QChar('/') << 42 << 6 << 7;
    QTest::newRow("divide truncates negative divisor") << QChar('/') << 7 << -2 << -3;
    QTest::newRow("divide truncates negative dividend") << QChar('/') << -7 << 2 << -3;
    QTest::newRow("divide both negative") << QChar('/') << -7 << -2 << 3;
    QTest::newRow("divide by minus one") << QChar('/') << 5 << -1 << -5;
    QTest::newRow("divide smallest by minus one wraps") << QChar('/') << kMin << -1 << kMin;
    QTest::newRow("divide smallest by one") << QChar('/') << kMin << 1 << kMin;
}

void TestArithmetic::operations()
{
    QFETCH(QChar, operation);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, result);

    switch (operation.toLatin1()) {
    case '+':
        QCOMPARE(machine::wrappingAdd(left, right), result);
        break;
    case '-':
        QCOMPARE(machine::wrappingSubtract(left, right), result);
        break;
    case '*':
        QCOMPARE(machine::wrappingMultiply(left, right), result);
        break;
    case '/':
        QCOMPARE(machine::wrappingDivide(left, right), result);
        break;
    }
}

QTEST_APPLESS_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"
