// The window as the user meets it: its widget tree, its start-up state, the
// sample chooser, "Load program in RAM" and "Run program", driven through
// the real widgets with the dialogs answered from here.
#include "modalanswerer.h"
#include "sampledata.h"
#include "windowdriver.h"

#include "app/widgetform.h"

#include <QAbstractButton>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

namespace
{

using Place = QList<int>; // {index} in a box layout, {row, column, rows, columns} in a grid

// Position of a widget or child layout within a layout, or an empty list.
Place placeIn(QLayout *layout, QObject *object)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (item->widget() != object && item->layout() != object)
            continue;
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            int row, column, rows, columns;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            return {row, column, rows, columns};
        }
        return {i};
    }
    return {};
}

QString textOf(QObject *object)
{
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    return QString();
}

const QStringList kRunButtons = {"btnRunProgram", "btnRunCPU", "btnRunStepCPU"};
const QStringList kAlwaysEnabled = {"btnLoadProgram", "btnLoadSample", "comboSamples",
                                    "txtProgram"};
const QString kInput = QStringLiteral("input: Input a value / Input:");
const QString kQuestion =
    QStringLiteral("The program has run %1 steps without halting. Keep running?");

// The registers as displayed, the current cell ("@-" for none) and, when
// asked, the output lines: "1 1201 0 00 00 @0 [7 8]".
QString describe(const WindowView &view, bool withOutput)
{
    QString text = view.registers.join(QLatin1Char(' ')) + QStringLiteral(" @") +
                   (view.currentCell < 0 ? QStringLiteral("-") : QString::number(view.currentCell));
    if (withOutput) {
        QStringList lines = view.output.split(QLatin1Char('\n'));
        lines.removeAll(QString());
        text += QStringLiteral(" [") + lines.join(QLatin1Char(' ')) + QLatin1Char(']');
    }
    return text;
}

// Each modal as "text", or as "text | view" when the row gives the view.
QStringList describe(const QList<ModalAnswerer::Seen> &seen, const QStringList &expected)
{
    QStringList texts;
    for (int i = 0; i < seen.size(); ++i) {
        const bool withView = i < expected.size() && expected[i].contains(QLatin1String(" | "));
        texts << (withView ? seen[i].text + QStringLiteral(" | ") + describe(seen[i].window, true)
                           : seen[i].text);
    }
    return texts;
}

// Queues the answers of a row: a text is typed; "<cancel>" cancels the input
// dialog; "<escape>" and "<close>" dismiss a message box; any other "<...>"
// presses the button of that text ("<ok>" the OK button).
void queue(ModalAnswerer &answerer, const QStringList &answers)
{
    for (const QString &answer : answers) {
        if (!answer.startsWith(QLatin1Char('<')) || !answer.endsWith(QLatin1Char('>')))
            answerer.type(answer);
        else if (answer == QLatin1String("<cancel>"))
            answerer.cancel();
        else if (answer == QLatin1String("<escape>"))
            answerer.escape();
        else if (answer == QLatin1String("<close>"))
            answerer.close();
        else if (answer == QLatin1String("<ok>"))
            answerer.press();
        else
            answerer.press(answer.mid(1, answer.size() - 2));
    }
}

QString numberedProgram(int lines)
{
    QStringList source;
    for (int line = 0; line < lines; ++line)
        source << QStringLiteral("L%1 DAT %1").arg(line);
    return source.join(QLatin1Char('\n'));
}

QStringList numbers(int from, int to)
{
    QStringList list;
    for (int value = from; value <= to; ++value)
        list << QString::number(value);
    return list;
}

QString lines(const QStringList &values)
{
    QString text;
    for (const QString &value : values)
        text += value + QLatin1Char('\n');
    return text;
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void objects_data();
    void objects();
    void sizes();
    void windowAndTable();
    void startUp();
    void loadSample_data();
    void loadSample();
    void load_data();
    void load();
    void run_data();
    void run();
    void outputBoxKeepsGrowing();
};

void TestWindow::objects_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName"); // parent object: window, frame or a layout
    QTest::addColumn<QString>("container");  // layout holding it, empty if installed on a widget
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styleSheet");

    const QString green = QStringLiteral("background-color: rgb(138, 226, 52);");
    const QString red = QStringLiteral("background-color: rgb(204, 0, 0);");
    const QString white = QStringLiteral("background-color: rgb(255, 255, 255);");
    const QString ioBox = QStringLiteral("background-color: rgba(6, 93, 35, 202);\n"
                                         "color: rgb(138, 226, 52);");
    const QString w = QStringLiteral("Widget");
    const QString f = QStringLiteral("frame");
    auto row = [](const char *name, const char *cls, const QString &parent, const char *container,
                  Place place, const QString &text = {}, const QString &style = {}) {
        QTest::newRow(name) << QString::fromLatin1(cls) << parent << QString::fromLatin1(container)
                            << place << text << style;
    };

    row("gridLayout_3", "QGridLayout", w, "", {});
    row("verticalLayout", "QVBoxLayout", "gridLayout_3", "gridLayout_3", {0, 0, 2, 1});
    row("label", "QLabel", w, "verticalLayout", {0}, "Program");
    row("horizontalLayout", "QHBoxLayout", "verticalLayout", "verticalLayout", {1});
    row("btnLoadProgram", "QPushButton", w, "horizontalLayout", {0}, "Load program in RAM", green);
    row("btnRunProgram", "QPushButton", w, "horizontalLayout", {1}, "Run program", red);
    row("txtProgram", "QTextEdit", w, "verticalLayout", {2}, {}, white);
    row("horizontalLayout_2", "QHBoxLayout", "verticalLayout", "verticalLayout", {3});
    row("comboSamples", "QComboBox", w, "horizontalLayout_2", {0}, {},
        "background-color: rgb(255, 255, 255);\ncolor: rgb(0, 0, 0);");
    row("btnLoadSample", "QPushButton", w, "horizontalLayout_2", {1}, "Load program", green);
    row("verticalLayout_2", "QVBoxLayout", "gridLayout_3", "gridLayout_3", {0, 1, 1, 1});
    row("label_10", "QLabel", w, "verticalLayout_2", {0}, "Central Processing Unit");
    row("frame", "QFrame", w, "verticalLayout_2", {1}, {},
        "color: rgb(255, 255, 255);\nbackground-color: rgb(46, 52, 54);");
    row("gridLayout", "QGridLayout", f, "", {});
    row("horizontalLayout_3", "QHBoxLayout", "gridLayout", "gridLayout", {0, 0, 1, 1});
    row("label_3", "QLabel", f, "horizontalLayout_3", {0}, "Program Counter:");
    row("lblPC", "QLabel", f, "horizontalLayout_3", {1}, "00");
    row("btnRunCPU", "QPushButton", f, "horizontalLayout_3", {3}, ">", red);
    row("btnRunStepCPU", "QPushButton", f, "horizontalLayout_3", {4}, ">|", red);
    row("horizontalLayout_4", "QHBoxLayout", "gridLayout", "gridLayout", {1, 0, 1, 1});
    row("label_4", "QLabel", f, "horizontalLayout_4", {0}, "Opcode:");
    row("lblOpcode", "QLabel", f, "horizontalLayout_4", {1}, "00");
    row("label_5", "QLabel", f, "horizontalLayout_4", {3}, "Address:");
    row("lblAddress", "QLabel", f, "horizontalLayout_4", {4}, "00");
    row("horizontalLayout_5", "QHBoxLayout", "gridLayout", "gridLayout", {2, 0, 1, 1});
    row("label_6", "QLabel", f, "horizontalLayout_5", {0}, "Accumulator:");
    row("lblAccumulator", "QLabel", f, "horizontalLayout_5", {1}, "00");
    row("horizontalLayout_6", "QHBoxLayout", "gridLayout", "gridLayout", {3, 0, 1, 1});
    row("label_2", "QLabel", f, "horizontalLayout_6", {0}, "Flags:");
    row("lblFLG", "QLabel", f, "horizontalLayout_6", {1}, "00");
    row("verticalLayout_3", "QVBoxLayout", "gridLayout_3", "gridLayout_3", {0, 2, 2, 1});
    row("label_13", "QLabel", w, "verticalLayout_3", {0}, "Random Access Memory(RAM)");
    row("tblMemory", "QTableWidget", w, "verticalLayout_3", {1}, {},
        "background-color: rgb(46, 52, 54);\ncolor: rgb(255, 255, 255);");
    row("gridLayout_2", "QGridLayout", "gridLayout_3", "gridLayout_3", {1, 1, 1, 1});
    row("label_11", "QLabel", w, "gridLayout_2", {0, 0, 1, 1}, "Input:");
    row("label_12", "QLabel", w, "gridLayout_2", {0, 1, 1, 1}, "Output:");
    row("txtInput", "QTextBrowser", w, "gridLayout_2", {1, 0, 1, 1}, {}, ioBox);
    row("txtOutput", "QTextBrowser", w, "gridLayout_2", {1, 1, 1, 1}, {}, ioBox);
}

void TestWindow::objects()
{
    QFETCH(QString, className);
    QFETCH(QString, parentName);
    QFETCH(QString, container);
    QFETCH(Place, place);
    QFETCH(QString, text);
    QFETCH(QString, styleSheet);

    Widget window;
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QList<QObject *> found = window.findChildren<QObject *>(name);
    QCOMPARE(found.size(), 1);
    QObject *object = found.first();

    QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
    QVERIFY(object->parent());
    QCOMPARE(object->parent()->objectName(), parentName);
    QCOMPARE(textOf(object), text);
    if (auto *widget = qobject_cast<QWidget *>(object))
        QCOMPARE(widget->styleSheet(), styleSheet);

    if (container.isEmpty()) {
        // A top-level layout is installed on its parent widget.
        auto *owner = qobject_cast<QWidget *>(object->parent());
        QVERIFY(owner);
        QCOMPARE(static_cast<QObject *>(owner->layout()), object);
    } else {
        auto *layout = window.findChild<QLayout *>(container);
        QVERIFY(layout);
        QCOMPARE(placeIn(layout, object), place);
    }
}

void TestWindow::sizes()
{
    Widget window;
    QCOMPARE(window.size(), QSize(1169, 439));
    QCOMPARE(window.maximumSize(), QSize(1300, 443));
    QCOMPARE(window.baseSize(), QSize(1300, 443));
    auto *table = window.findChild<QTableWidget *>("tblMemory");
    QCOMPARE(table->minimumSize(), QSize(475, 400));
    QCOMPARE(table->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(table->baseSize(), QSize(410, 400));
    const QList<QPair<QWidget *, QSize>> boxes = {
        {window.findChild<QTextEdit *>("txtProgram"), QSize(275, 330)},
        {window.findChild<QTextBrowser *>("txtInput"), QSize(121, 241)},
        {window.findChild<QTextBrowser *>("txtOutput"), QSize(121, 241)}};
    for (const auto &[box, size] : boxes) {
        QCOMPARE(box->minimumSize(), size);
        QCOMPARE(box->maximumSize(), size);
        QCOMPARE(box->baseSize(), size);
    }

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The layout may add a few pixels of height for the platform's fonts, but
    // never beyond the maximum.
    QCOMPARE(window.width(), 1169);
    QVERIFY2(window.height() >= 439 && window.height() <= 443,
             qPrintable(QString::number(window.height())));
    window.resize(2000, 2000);
    QCOMPARE(window.size(), QSize(1300, 443));

    // The boxes keep their sizes whatever the window's size.
    for (const QSize &windowSize : {QSize(1300, 443), QSize(900, 300), QSize(1169, 439)}) {
        window.resize(windowSize);
        QCoreApplication::processEvents();
        for (const auto &[box, size] : boxes)
            QCOMPARE(box->size(), size);
    }
}

void TestWindow::windowAndTable()
{
    Widget window;
    QCOMPARE(window.objectName(), QStringLiteral("Widget"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Korvane Computer Simulation"));
    QCOMPARE(window.styleSheet(), QStringLiteral("background-color: rgb(233, 185, 110);"));

    auto *table = window.findChild<QTableWidget *>("tblMemory");
    QCOMPARE(table->rowCount(), 10);
    QCOMPARE(table->columnCount(), 10);
    for (auto [header, size] :
         {qMakePair(table->horizontalHeader(), 47), qMakePair(table->verticalHeader(), 38)}) {
        QVERIFY(header->isHidden());
        QCOMPARE(header->minimumSectionSize(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(header->sectionSize(i), size);
    }

    auto *combo = window.findChild<QComboBox *>("comboSamples");
    QCOMPARE(combo->count(), int(testdata::samples().size()));
    for (int i = 0; i < combo->count(); ++i)
        QCOMPARE(combo->itemText(i), QString::fromLatin1(testdata::samples()[i].name));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->isEditable());

    QVERIFY(!window.findChild<QTextEdit *>("txtProgram")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtInput")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtOutput")->isReadOnly());
    auto *frame = window.findChild<QFrame *>("frame");
    QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
    QCOMPARE(frame->frameShadow(), QFrame::Raised);

    // A window that already has a name keeps it; the form creates no table items.
    QWidget host;
    host.setObjectName("custom");
    WidgetForm form;
    form.setupUi(&host);
    QCOMPARE(host.objectName(), QStringLiteral("custom"));
    QVERIFY(!form.tblMemory->item(0, 0));
}

void TestWindow::startUp()
{
    WindowDriver driver;
    ModalAnswerer answerer(&driver.window);

    QTableWidget *table = driver.table();
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            QCOMPARE(item->text(), QStringLiteral("00"));
            QCOMPARE(item->type(), int(QTableWidgetItem::Type));
            QCOMPARE(item->flags().toInt(), 0x21);
        }
    }
    const QModelIndexList selected = table->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 0);
    QCOMPARE(selected.first().column(), 0);

    QCOMPARE(driver.program(), testdata::samples()[0].text);
    const WindowView start = WindowView::of(&driver.window);
    QCOMPARE(describe(start, true), QStringLiteral("00 00 00 00 00 @- []"));
    QCOMPARE(driver.input(), QString());
    QCOMPARE(driver.runButtonsEnabled(), QList<bool>(3, false));
    for (const QString &name : kAlwaysEnabled)
        QVERIFY2(driver.window.findChild<QWidget *>(name)->isEnabled(), qPrintable(name));

    // Nothing runs before a program has loaded, and a failed load changes
    // nothing; ">" and ">|" never do anything.
    driver.setProgram(QStringLiteral("FOO BAR"));
    answerer.press();
    driver.load();
    for (const QString &name : kRunButtons)
        QTest::mouseClick(driver.find<QPushButton>(qPrintable(name)), Qt::LeftButton);
    QCOMPARE(answerer.texts(), QStringList{"Error: instuction is invalid <FOO BAR>."});
    QCOMPARE(driver.runButtonsEnabled(), QList<bool>(3, false));
    QCOMPARE(WindowView::of(&driver.window), start);

    for (QPushButton *button :
         {driver.find<QPushButton>("btnRunCPU"), driver.find<QPushButton>("btnRunStepCPU")}) {
        button->setEnabled(true);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QCOMPARE(WindowView::of(&driver.window), start);
    QCOMPARE(driver.cells(), QStringList(100, QStringLiteral("00")));
}

void TestWindow::loadSample_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(testdata::samples().size()); ++i)
        QTest::newRow(testdata::samples()[i].name) << i;
    QTest::newRow("no sample chosen") << -1;
}

void TestWindow::loadSample()
{
    QFETCH(int, index);

    WindowDriver driver;
    ModalAnswerer answerer(&driver.window);
    driver.load();
    answerer.typeEach({"3", "4"});
    driver.run();
    driver.setProgram("typed by the user");
    const QStringList cells = driver.cells();
    const WindowView view = WindowView::of(&driver.window);

    // Only the editor changes, and a second click replaces its text again.
    const QString expected = index < 0 ? QStringLiteral("typed by the user")
                                       : testdata::samples()[std::size_t(index)].text;
    for (int click = 0; click < 2; ++click) {
        driver.chooseSample(index);
        QCOMPARE(driver.program(), expected);
    }
    QCOMPARE(driver.find<QComboBox>("comboSamples")->currentIndex(), index);
    QCOMPARE(driver.cells(), cells);
    QCOMPARE(WindowView::of(&driver.window), view);
    QCOMPARE(driver.input(), QStringLiteral("3\n4"));
    QCOMPARE(driver.runButtonsEnabled(), QList<bool>(3, true));
}

void TestWindow::load_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("image");
    QTest::addColumn<QString>("message"); // empty when the program loads

    for (const testdata::Sample &sample : testdata::samples())
        QTest::newRow(sample.name) << sample.text << sample.image << QString();
    QTest::newRow("empty editor") << "" << QStringList() << QString();
    QTest::newRow("100 lines") << numberedProgram(100) << numbers(0, 99) << QString();

    // The messages quote names and lines as written, even where they look like markup.
    const auto error = [](const char *tag, const QString &source, const QString &message) {
        QTest::newRow(tag) << source << QStringList() << message;
    };
    error("undefined operand label", "\tINP\n\tLDA\tb\n\tHLT",
          "Name <B> not found.[instuction: LDA\tB]\n");
    error("markup as operand", "lda <i>x</i>",
          "Name <<I>X</I>> not found.[instuction: LDA <I>X</I>]\n");
    error("undefined label in a labelled line", "l lda i", "Name <I> not found.");
    error("two names", "h1 bar", "Error: instuction is invalid <H1 BAR>.");
    error("lone name", "<b>", "Error: invalid instruction <<B>>.\n");
    error("too many fields", "P Q R S", "Error: Invalid instruction <P Q R S>.\n");
    error("blank-only line", "HLT\n \t \nHLT", "Error: Invalid instruction <>.\n");
    error("101 lines", numberedProgram(101),
          "Error: the program has 101 lines, but the memory holds at most 100.");
}

void TestWindow::load()
{
    QFETCH(QString, source);
    QFETCH(QStringList, image);
    QFETCH(QString, message);

    // First a run that leaves something in every register, box and a cell.
    WindowDriver driver;
    ModalAnswerer answerer(&driver.window);
    driver.setProgram("INP\nSTA Y\nOUT\nDIV Z\nHLT\nY DAT\nZ DAT");
    driver.load();
    answerer.type("5");
    driver.run();
    QCOMPARE(describe(WindowView::of(&driver.window), true), QStringLiteral("5 0 0 5 1 @5 [5]"));
    QCOMPARE(driver.cells()[5], QStringLiteral("5"));

    driver.setProgram(source);
    if (!message.isEmpty())
        answerer.press();
    driver.load();

    const QStringList expectedModals =
        message.isEmpty() ? QStringList{kInput} : QStringList{kInput, message};
    QCOMPARE(answerer.texts(), expectedModals);
    if (!message.isEmpty())
        QCOMPARE(answerer.seen.last().displayed, message);
    const QStringList loaded = image + QStringList(100 - image.size(), QStringLiteral("00"));
    QCOMPARE(driver.cells(), loaded);
    QCOMPARE(describe(WindowView::of(&driver.window), true),
             QStringLiteral("00 00 00 00 00 @5 []"));
    QCOMPARE(driver.input(), QString());
    QCOMPARE(driver.program(), source);
    QCOMPARE(driver.runButtonsEnabled(), QList<bool>(3, true));

    if (message.isEmpty()) {
        // Loading again gives the same table.
        driver.load();
        QCOMPARE(driver.cells(), loaded);
    } else {
        // The run buttons stay enabled over an empty memory.
        answerer.press();
        driver.run();
        QCOMPARE(answerer.texts().last(), QStringLiteral("invalid argument <00>."));
        QCOMPARE(describe(WindowView::of(&driver.window), false),
                 QStringLiteral("1 00 00 00 00 @5"));
    }
    QCOMPARE(answerer.unexpected, 0);
}

void TestWindow::run_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("clicks");          // clicks on "Run program" after one load
    QTest::addColumn<QStringList>("answers"); // see queue()
    QTest::addColumn<QStringList>("modals");  // "text", or "text | the window at that moment"
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("view"); // the window at the end; empty: not checked
    QTest::addColumn<QString>("input");

    for (const testdata::SampleRun &run : testdata::sampleRuns()) {
        QTest::newRow(qPrintable(run.name))
            << testdata::samples()[std::size_t(run.sample)].text << 1 << run.inputs
            << QStringList(run.inputs.size(), kInput) << lines(run.outputs) << QString()
            << run.inputs.join(QLatin1Char('\n'));
    }

    const auto row = [](const char *tag, const QString &source, const QStringList &answers,
                        const QStringList &modals, const QString &output, const QString &view,
                        const QString &input = QString()) {
        QTest::newRow(tag) << source << 1 << answers << modals << output << view << input;
    };
    row("INP OUT HLT with 42", "INP\nOUT\nHLT", {"42"}, {kInput + " | 1 1201 0 00 00 @- []"},
        "42\n", "3 0 0 42 00 @3", "42");
    row("output just before input", "LDA X\nOUT\nINP\nOUT\nINP\nOUT\nHLT\nX DAT 7", {"8", "9"},
        {kInput + " | 3 1201 0 7 00 @2 [7]", kInput + " | 5 1201 0 8 00 @4 [7 8]"}, "7\n8\n9\n",
        "7 0 0 9 00 @7", "8\n9");
    // Typed text is shown exactly as typed, but read as a number.
    row("number then letters", "INP\nOUT\nHLT", {"12abc"}, {kInput}, "12\n", "3 0 0 12abc 00 @3",
        "12abc");
    row("blank before a sign", "INP\nOUT\nHLT", {" -5"}, {kInput}, "-5\n", "3 0 0  -5 00 @3",
        " -5");
    row("typed text that looks like markup", "INP\nOUT\nINP\nHLT", {"5<b>x</b>", "6<i>y</i>"},
        {kInput, kInput}, "5\n", "4 0 0 6<i>y</i> 00 @4", "5<b>x</b>\n6<i>y</i>");
    row("unaccepted input asks again", "INP\nOUT\nHLT",
        {"abc", "<ok>", "<cancel>", "", "2147483648", "<ok>", "-21474836480", "<ok>", "8"},
        {kInput, "Invalid input. | 1 1201 0 00 00 @- []", kInput, kInput, kInput, "Invalid input.",
         kInput, "Invalid input.", kInput},
        "8\n", "3 0 0 8 00 @3", "8");

    // How runs end, and what the registers show then.
    row("HLT first", "HLT", {}, {}, "", "1 0 0 00 00 @1");
    row("running into an empty cell", "OUT", {"<ok>"},
        {"invalid argument <00>. | 2 1202 0 00 00 @1 [0]"}, "0\n", "2 1202 0 00 00 @1");
    row("running into DAT without value", "OUT\nX DAT", {"<ok>"}, {"invalid argument <0>."}, "0\n",
        "2 1202 0 00 00 @1");
    row("data word with no instruction code", "X DAT 1234", {"<ok>"},
        {"Error in execution <12>.\n | 1 12 34 00 00 @- []"}, "", "1 12 34 00 00 @-");
    row(
        "running past the last cell",
        [] {
            QStringList source{QStringLiteral("BRA END")};
            for (int line = 1; line < 99; ++line)
                source << QStringLiteral("P%1 DAT").arg(line);
            return (source << QStringLiteral("END OUT")).join(QLatin1Char('\n'));
        }(),
        {"<ok>"},
        {"Error: program counter <100> is outside the memory (addresses 0 to 99). | "
         "100 1202 0 00 00 @- [0]"},
        "0\n", "100 1202 0 00 00 @-");
    row("DIV by zero, then BRG", "LDA A\nDIV Z\nBRG END\nOUT\nEND HLT\nA DAT 9\nZ DAT 0", {}, {},
        "", "5 0 0 9 1 @5");
    row("ADD wraps", "LDA M\nADD ONE\nOUT\nHLT\nM DAT 2147483647\nONE DAT 1", {}, {},
        "-2147483648\n", "4 0 0 -2147483648 00 @4");
    row("DIV truncates", "LDA A\nDIV B\nOUT\nHLT\nA DAT 7\nB DAT -2", {}, {}, "-3\n",
        "4 0 0 -3 00 @4");
    row("smallest DIV -1", "LDA A\nDIV B\nOUT\nHLT\nA DAT -2147483648\nB DAT -1", {}, {},
        "-2147483648\n", "4 0 0 -2147483648 00 @4");
    row("branch not taken keeps the fetched pc", "BRP END\nHLT\nEND HLT", {}, {}, "",
        "2 0 0 00 00 @2");

    // A run that does not halt is paused every 1000 steps with a question;
    // Escape and the window's close button answer it like "Stop".
    const QString loop = QStringLiteral("LDA ONE\nL ADD ONE\nBRA L\nONE DAT 1");
    row("keep running, then stop", loop, {"<Keep running>", "<Stop>"},
        {kQuestion.arg(1000) + " | 2 1 3 501 00 @2 []",
         kQuestion.arg(2000) + " | 2 1 3 1001 00 @2 []"},
        "", "2 1 3 1001 00 @2");
    row("question closed with Escape", loop, {"<escape>"}, {kQuestion.arg(1000)}, "",
        "2 1 3 501 00 @2");
    row("question closed by its window", loop, {"<close>"}, {kQuestion.arg(1000)}, "",
        "2 1 3 501 00 @2");
    // Step 1000 is the input: the question comes once the value is in.
    row("question after an input at the step that reaches it",
        "LDA N\nL SUB ONE\nBRP L\nINP\nOUT\nHLT\nN DAT 499\nONE DAT 1", {"42", "<Stop>"},
        {kInput, kQuestion.arg(1000) + " | 4 1201 0 42 00 @4 []"}, "", "4 1201 0 42 00 @4", "42");

    // A second click runs from the memory the first one left, and the boxes keep growing.
    QTest::newRow("store, then run again")
        << "LDA T\nADD ONE\nSTA T\nOUT\nHLT\nONE DAT 1\nP DAT\nT DAT 4" << 2 << QStringList()
        << QStringList() << "5\n6\n"
        << "5 0 0 6 00 @5" << QString();
    QTest::newRow("two runs with input")
        << "INP\nOUT\nHLT" << 2 << QStringList{"1", "2"} << QStringList{kInput, kInput} << "1\n2\n"
        << "3 0 0 2 00 @3"
        << "1\n2";
}

void TestWindow::run()
{
    QFETCH(QString, source);
    QFETCH(int, clicks);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, modals);
    QFETCH(QString, output);
    QFETCH(QString, view);
    QFETCH(QString, input);

    WindowDriver driver;
    driver.window.setStepsPerQuestion(1000);
    ModalAnswerer answerer(&driver.window);
    driver.setProgram(source);
    driver.load();
    queue(answerer, answers);
    for (int click = 0; click < clicks; ++click)
        driver.run();

    QCOMPARE(describe(answerer.seen, modals), modals);
    for (const ModalAnswerer::Seen &seen : std::as_const(answerer.seen)) {
        if (!seen.text.startsWith(QLatin1String("input: ")))
            QCOMPARE(seen.displayed, seen.text);
    }
    QVERIFY(answerer.allAnswered());
    QCOMPARE(answerer.unexpected, 0);
    QCOMPARE(driver.output(), output);
    if (!view.isEmpty())
        QCOMPARE(describe(WindowView::of(&driver.window), false), view);
    QCOMPARE(driver.input(), input);
    // The current cell is the only selected one.
    if (QTableWidgetItem *current = driver.table()->currentItem())
        QCOMPARE(driver.table()->selectedItems(), QList<QTableWidgetItem *>{current});
}

// Thousands of output lines arrive complete, a second run adds to them, and
// the box stays where the user scrolled it.
void TestWindow::outputBoxKeepsGrowing()
{
    WindowDriver driver;
    ModalAnswerer answerer(&driver.window);
    driver.setProgram("INP\nSTA C\nL LDA C\nOUT\nSUB ONE\nSTA C\nBRP L\nHLT\nONE DAT 1\nC DAT");
    driver.load();
    answerer.type("3000");
    driver.run();
    QStringList countDown = numbers(1, 3000);
    std::reverse(countDown.begin(), countDown.end());
    QCOMPARE(driver.output(), lines(countDown));

    auto *box = driver.find<QTextBrowser>("txtOutput");
    QScrollBar *bar = box->verticalScrollBar();
    QVERIFY(QTest::qWaitFor([&] { return bar->maximum() > 100; }));
    bar->setValue(bar->maximum() / 2);
    const int scrolledTo = bar->value();
    const QString topLine = box->cursorForPosition(QPoint(5, 5)).block().text();

    answerer.type("2");
    driver.run();
    QCoreApplication::processEvents();

    QCOMPARE(driver.output(), lines(countDown) + QStringLiteral("2\n1\n"));
    QCOMPARE(bar->value(), scrolledTo);
    QCOMPARE(box->cursorForPosition(QPoint(5, 5)).block().text(), topLine);
    QCOMPARE(answerer.unexpected, 0);
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
