// The window's widget tree: names, classes, nesting, places, sizes, styles and
// texts, checked on the real window.
#include "app/widget.h"
#include "app/widgetform.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

namespace
{

const QString green = QStringLiteral("background-color: rgb(138, 226, 52);");
const QString red = QStringLiteral("background-color: rgb(204, 0, 0);");
const QString white = QStringLiteral("background-color: rgb(255, 255, 255);");
const QString ioBox = QStringLiteral("background-color: rgba(6, 93, 35, 202);\n"
                                     "color: rgb(138, 226, 52);");

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

} // namespace

class FormTest : public QObject
{
    Q_OBJECT

private slots:
    void objects_data();
    void objects();
    void sizes();
    void windowAndTable();
    void presetObjectNameIsKept();
};

void FormTest::objects_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("parentName"); // parent object: window, frame or a layout
    QTest::addColumn<QString>("container");  // layout holding it, empty if installed on a widget
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styleSheet");

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

void FormTest::objects()
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

void FormTest::sizes()
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

void FormTest::windowAndTable()
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
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, QStringList({"Adding 2 inputs", "Max of 2 inputs", "Count down timer",
                                 "Multiplying 2 inputs", "Tringular numbers", "Factorial of ..."}));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->isEditable());

    QVERIFY(!window.findChild<QTextEdit *>("txtProgram")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtInput")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtOutput")->isReadOnly());
    auto *frame = window.findChild<QFrame *>("frame");
    QCOMPARE(frame->frameShape(), QFrame::StyledPanel);
    QCOMPARE(frame->frameShadow(), QFrame::Raised);
}

void FormTest::presetObjectNameIsKept()
{
    QWidget host;
    host.setObjectName("custom");
    WidgetForm form;
    form.setupUi(&host);
    QCOMPARE(host.objectName(), QStringLiteral("custom"));
    // The form creates no table items; the window adds them.
    QVERIFY(!form.tblMemory->item(0, 0));
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
