// The window's behaviour: its start-up state and the "Load program" and ">"
// buttons, driven through the real widgets.
#include "app/widget.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

namespace
{

const QStringList registerLabels = {"lblPC", "lblOpcode", "lblAddress", "lblAccumulator", "lblFLG"};
const QStringList runButtons = {"btnRunProgram", "btnRunCPU", "btnRunStepCPU"};
const QStringList alwaysEnabled = {"btnLoadProgram", "btnLoadSample", "comboSamples", "txtProgram"};

template <typename T>
T *child(const Widget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Everything the user can see apart from the editor and the sample chooser.
struct Snapshot {
    QStringList cells;
    QList<Qt::ItemFlags> flags;
    QModelIndexList selected;
    QStringList registers;
    QString input;
    QString output;
    QList<bool> enabled;

    explicit Snapshot(const Widget &window)
    {
        auto *table = child<QTableWidget>(window, "tblMemory");
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int column = 0; column < table->columnCount(); ++column) {
                cells << table->item(row, column)->text();
                flags << table->item(row, column)->flags();
            }
        }
        selected = table->selectionModel()->selectedIndexes();
        for (const QString &name : registerLabels)
            registers << window.findChild<QLabel *>(name)->text();
        input = child<QTextBrowser>(window, "txtInput")->toPlainText();
        output = child<QTextBrowser>(window, "txtOutput")->toPlainText();
        for (const QString &name : runButtons + alwaysEnabled)
            enabled << window.findChild<QWidget *>(name)->isEnabled();
    }

    bool operator==(const Snapshot &) const = default;
};

// Puts the window into a state no start-up would produce, so that a slot that
// resets anything is noticed.
void disturb(Widget &window)
{
    auto *table = child<QTableWidget>(window, "tblMemory");
    table->item(0, 0)->setText("1201");
    table->item(9, 9)->setText("-17");
    table->setCurrentCell(4, 2);
    child<QLabel>(window, "lblPC")->setText("5");
    child<QLabel>(window, "lblAccumulator")->setText("42");
    child<QTextBrowser>(window, "txtInput")->append("3");
    child<QTextBrowser>(window, "txtOutput")->append("7");
    for (const QString &name : runButtons)
        window.findChild<QPushButton *>(name)->setEnabled(true);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private slots:
    void startUpState();
    void loadSample_data();
    void loadSample();
    void loadSampleWithoutChoiceKeepsEditor();
    void runButtonsDoNothing_data();
    void runButtonsDoNothing();
};

void WindowTest::startUpState()
{
    Widget window;

    auto *table = child<QTableWidget>(window, "tblMemory");
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            QVERIFY(item);
            QCOMPARE(item->text(), QStringLiteral("00"));
            QCOMPARE(item->type(), int(QTableWidgetItem::Type));
            QCOMPARE(item->flags().toInt(), 0x21);
        }
    }
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 0);
    QCOMPARE(selected.first().column(), 0);

    QCOMPARE(child<QTextEdit>(window, "txtProgram")->toPlainText(),
             QStringLiteral("\tINP\n\tSTA\tnum1\n\tINP\n\tADD\tnum1\n\tOUT\n\tHLT\nnum1\tDAT"));
    for (const QString &name : registerLabels)
        QCOMPARE(window.findChild<QLabel *>(name)->text(), QStringLiteral("00"));
    QVERIFY(child<QTextBrowser>(window, "txtInput")->toPlainText().isEmpty());
    QVERIFY(child<QTextBrowser>(window, "txtOutput")->toPlainText().isEmpty());
    for (const QString &name : runButtons)
        QVERIFY2(!window.findChild<QWidget *>(name)->isEnabled(), qPrintable(name));
    for (const QString &name : alwaysEnabled)
        QVERIFY2(window.findChild<QWidget *>(name)->isEnabled(), qPrintable(name));
}

void WindowTest::loadSample_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("program");

    QTest::newRow("Adding 2 inputs")
        << 0 << "\tINP\n\tSTA\tnum1\n\tINP\n\tADD\tnum1\n\tOUT\n\tHLT\nnum1\tDAT";
    QTest::newRow("Max of 2 inputs")
        << 1
        << "\tINP\n\tSTA\tnum1\n\tINP\n\tSTA\tnum2\n\tSUB\tnum1\n\tBRP\tpos\n\tLDA\tnum1\n\tOUT\n"
           "\tBRA\texit\npos\tLDA\tnum2\n\tOUT\nexit\tHLT\nnum1\tDAT\nnum2\tDAT\n";
    QTest::newRow("Count down timer")
        << 2
        << "\tINP\nloop\tOUT\n\tSTA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tBRP\tloop\n\tHLT\n"
           "one\tDAT\t1\ncount\tDAT";
    QTest::newRow("Multiplying 2 inputs")
        << 3
        << "\tINP\n\tSTA\tNUM1\n\tINP\n\tSTA\tNUM2\n\tMUL NUM1\n\tOUT\n\tHLT\nNUM1\tDAT\nNUM2\tDAT";
    QTest::newRow("Tringular numbers")
        << 4
        << "loop\tLDA\tnumber\n\tADD\tcounter\n\tOUT\n\tSTA\tnumber\n\tLDA\tcounter\n\tADD\tone\n"
           "\tSTA\tcounter\n\tLDA\tten\n\tSUB\tcounter\n\tBRP\tloop\n\tHLT\ncounter\tDAT\t1\n"
           "number\tDAT\t0\none\tDAT\t1\nten\tDAT\t10";
    QTest::newRow("Factorial of ...")
        << 5
        << "\tINP\n\tSTA\tfinal\n\tBRZ\toneval\n\tSUB\tone\n\tSTA\titeration\n\tSTA\tcounter\n"
           "\tLDA\tfinal\n\tSTA\tnum\nmult\tLDA\titeration\n\tBRZ\tend\n\tSUB\tone\n\tBRZ\tend\n"
           "\tLDA\tfinal\n\tADD\tnum\n\tSTA\tfinal\n\tLDA\tcounter\n\tSUB\tone\n\tSTA\tcounter\n"
           "\tSUB\tone\n\tBRZ\tnext\n\tBRA\tmult\nnext\tLDA\tfinal\n\tSTA\tnum\n\tLDA\titeration\n"
           "\tSUB\tone\n\tSTA\titeration\n\tSTA\tcounter\n\tSUB\tone\n\tBRZ\tend\n\tBRA\tmult\n"
           "end\tLDA\tfinal\n\tOUT\n\tHLT\noneval\tLDA\tone\n\tOUT\n\tHLT\nfinal\tDAT\t0\n"
           "counter\tDAT\t0\none\tDAT\t1\niteration\tDAT\t0\nnum\tDAT\t0";
}

void WindowTest::loadSample()
{
    QFETCH(int, index);
    QFETCH(QString, program);
    static const int lengths[] = {48, 119, 79, 67, 165, 440};
    QCOMPARE(program.size(), lengths[index]);

    Widget window;
    auto *editor = child<QTextEdit>(window, "txtProgram");
    auto *combo = child<QComboBox>(window, "comboSamples");
    editor->setPlainText("typed by the user");
    disturb(window);
    const Snapshot before(window);

    combo->setCurrentIndex(index);
    QTest::mouseClick(child<QPushButton>(window, "btnLoadSample"), Qt::LeftButton);

    QCOMPARE(editor->toPlainText(), program);
    QCOMPARE(combo->currentIndex(), index);
    QVERIFY(Snapshot(window) == before);

    // Loading again replaces the text rather than adding to it.
    QTest::mouseClick(child<QPushButton>(window, "btnLoadSample"), Qt::LeftButton);
    QCOMPARE(editor->toPlainText(), program);
}

void WindowTest::loadSampleWithoutChoiceKeepsEditor()
{
    Widget window;
    auto *editor = child<QTextEdit>(window, "txtProgram");
    editor->setPlainText("kept");
    child<QComboBox>(window, "comboSamples")->setCurrentIndex(-1);
    child<QPushButton>(window, "btnLoadSample")->click();
    QCOMPARE(editor->toPlainText(), QStringLiteral("kept"));
}

void WindowTest::runButtonsDoNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow(">") << "btnRunCPU";
    QTest::newRow(">|") << "btnRunStepCPU";
}

void WindowTest::runButtonsDoNothing()
{
    QFETCH(QString, button);

    Widget window;
    disturb(window);
    auto *editor = child<QTextEdit>(window, "txtProgram");
    const QString program = editor->toPlainText();
    const Snapshot before(window);

    QTest::mouseClick(window.findChild<QPushButton *>(button), Qt::LeftButton);

    QVERIFY(Snapshot(window) == before);
    QCOMPARE(editor->toPlainText(), program);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
