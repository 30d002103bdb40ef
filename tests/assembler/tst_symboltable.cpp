#include "assembler/assembler.h"

#include <QtTest>

#include <limits>

namespace
{

const QString kGrowthFailure = QStringLiteral("Can not extend memort for SymbolTable.");

// The entry the n-th add of fillTable stores; odd ones are data labels.
SymbolEntry expectedEntry(int n)
{
    const bool isData = n % 2 == 1;
    return SymbolEntry{QStringLiteral("L") + QString::number(n), n, isData ? -n : 0, isData};
}

void fillTable(Assembler &assembler, int count)
{
    for (int n = 0; n < count; ++n) {
        const SymbolEntry e = expectedEntry(n);
        if (e.isData)
            assembler.addData(e.labelName, e.labelAddress, e.dataValue);
        else
            assembler.addLabel(e.labelName, e.labelAddress);
    }
}

// The first count entries are those fillTable stored, in order, with all fields.
bool entriesIntact(const Assembler &assembler, int count)
{
    if (assembler.symbolCount < count)
        return false;
    for (int n = 0; n < count; ++n) {
        const SymbolEntry &got = assembler.symbols[std::size_t(n)];
        const SymbolEntry want = expectedEntry(n);
        if (got.labelName != want.labelName || got.labelAddress != want.labelAddress ||
            got.dataValue != want.dataValue || got.isData != want.isData)
            return false;
    }
    return true;
}

// The looked-up number in decimal, or the message the lookup was refused with.
QString lookupOutcome(const Assembler &assembler, const QString &name, bool wantValue)
{
    try {
        return QString::number(assembler.lookup(name, wantValue));
    } catch (const QString &message) {
        return message;
    }
}

} // namespace

class TestSymbolTable : public QObject
{
    Q_OBJECT

private slots:
    void initialCapacity_data();
    void initialCapacity();
    void growth_data();
    void growth();
    void lookup_data();
    void lookup();
    void lookupOnEmptyTable();
    void refusedCapacity_data();
    void refusedCapacity();
    void addAtTheCeilingStoresNothing();
};

void TestSymbolTable::initialCapacity_data()
{
    QTest::addColumn<int>("argument");
    QTest::addColumn<int>("capacity");

    QTest::newRow("20") << 20 << 20;
    QTest::newRow("5") << 5 << 5;
    QTest::newRow("0") << 0 << 20;
    QTest::newRow("-1") << -1 << 20;
    QTest::newRow("lowest int") << std::numeric_limits<int>::min() << 20;
}

void TestSymbolTable::initialCapacity()
{
    QFETCH(int, argument);
    QFETCH(int, capacity);

    const Assembler assembler(argument);
    QCOMPARE(assembler.symbolCapacity, capacity);
    QCOMPARE(assembler.symbolCount, 0);
    for (int i = 0; i < capacity; ++i) {
        const SymbolEntry &slot = assembler.symbols[std::size_t(i)];
        QVERIFY(slot.labelName.isEmpty() && slot.labelAddress == 0 && slot.dataValue == 0 &&
                !slot.isData);
    }
}

void TestSymbolTable::growth_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("capacity");

    QTest::newRow("20 fills 20") << 20 << 20 << 20;
    QTest::newRow("21st doubles to 40") << 20 << 21 << 40;
    QTest::newRow("40 fills 40") << 20 << 40 << 40;
    QTest::newRow("41st doubles to 80") << 20 << 41 << 80;
    QTest::newRow("81st doubles to 160") << 20 << 81 << 160;
    QTest::newRow("from 5, 6th doubles to 10") << 5 << 6 << 10;
}

void TestSymbolTable::growth()
{
    QFETCH(int, start);
    QFETCH(int, added);
    QFETCH(int, capacity);

    Assembler assembler(start);
    fillTable(assembler, added);
    QCOMPARE(assembler.symbolCapacity, capacity);
    QCOMPARE(assembler.symbolCount, added);
    QVERIFY(entriesIntact(assembler, added));
}

void TestSymbolTable::lookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("wantValue");
    QTest::addColumn<QString>("result");

    // Table: LOOP code label at 1, ONE data 1 at 7, NEG data -3 at 8, LOOP again as data 5 at 9.
    QTest::newRow("first LOOP, address") << "LOOP" << false << "1";
    QTest::newRow("first LOOP, value of a code label") << "LOOP" << true << "0";
    QTest::newRow("data label, value") << "ONE" << true << "1";
    QTest::newRow("data label, address") << "ONE" << false << "7";
    QTest::newRow("negative value") << "NEG" << true << "-3";
    QTest::newRow("prefix") << "LOO" << false << "Name <LOO> not found.";
    QTest::newRow("longer") << "LOOPS" << false << "Name <LOOPS> not found.";
    QTest::newRow("other case") << "loop" << false << "Name <loop> not found.";
    QTest::newRow("empty name") << "" << true << "Name <> not found.";
}

void TestSymbolTable::lookup()
{
    QFETCH(QString, name);
    QFETCH(bool, wantValue);
    QFETCH(QString, result);

    Assembler assembler(20);
    assembler.addLabel("LOOP", 1);
    assembler.addData("ONE", 7, 1);
    assembler.addData("NEG", 8, -3);
    assembler.addData("LOOP", 9, 5);
    QCOMPARE(lookupOutcome(assembler, name, wantValue), result);
    QCOMPARE(assembler.symbolCount, 4);
}

void TestSymbolTable::lookupOnEmptyTable()
{
    const Assembler assembler(20);
    QCOMPARE(lookupOutcome(assembler, "X", false), QString("Name <X> not found."));
}

void TestSymbolTable::refusedCapacity_data()
{
    QTest::addColumn<int>("newCapacity");

    QTest::newRow("same") << 20;
    QTest::newRow("smaller") << 10;
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("above the ceiling") << Assembler::kMaxSymbolCapacity + 1;
    QTest::newRow("highest int") << std::numeric_limits<int>::max();
}

void TestSymbolTable::refusedCapacity()
{
    QFETCH(int, newCapacity);

    Assembler assembler(20);
    fillTable(assembler, 3);
    QString message;
    try {
        assembler.grow(newCapacity);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, kGrowthFailure);
    QCOMPARE(assembler.symbolCapacity, 20);
    QCOMPARE(assembler.symbolCount, 3);
    QVERIFY(entriesIntact(assembler, 3));
}

void TestSymbolTable::addAtTheCeilingStoresNothing()
{
    const int half = Assembler::kMaxSymbolCapacity / 2;
    Assembler assembler(half);
    fillTable(assembler, half + 1);
    QCOMPARE(assembler.symbolCapacity, Assembler::kMaxSymbolCapacity);

    for (int n = half + 1; n < Assembler::kMaxSymbolCapacity; ++n)
        assembler.addLabel("FILL", n);
    QCOMPARE(assembler.symbolCount, Assembler::kMaxSymbolCapacity);

    // Doubling would pass the ceiling: the add is refused and stores nothing.
    QString message;
    try {
        assembler.addData("LAST", 1, 2);
    } catch (const QString &thrown) {
        message = thrown;
    }
    QCOMPARE(message, kGrowthFailure);
    QCOMPARE(assembler.symbolCount, Assembler::kMaxSymbolCapacity);
    QCOMPARE(assembler.symbolCapacity, Assembler::kMaxSymbolCapacity);
    QCOMPARE(lookupOutcome(assembler, "LAST", false), QString("Name <LAST> not found."));
    QVERIFY(entriesIntact(assembler, half + 1));
}

QTEST_APPLESS_MAIN(TestSymbolTable)
#include "tst_symboltable.moc"
