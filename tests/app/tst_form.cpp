// The window's widget tree: names, classes, nesting, places, sizes, styles and
// texts, checked on the real window.
#include "app/widget.h"
#include "app/widgetform.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
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
    void creationOrderIsFocusOrder();
    void spacers_data();
    void spacers();
    void windowGeometry();
    void fixedSizes_data();
    void fixedSizes();
    void fixedBoxesKeepSizeOnResize();
    void memoryTableHeaders();
    void comboItems();
    void editability();
    void presetObjectNameIsKept();
    void slotsInDeclaredOrder();
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

void FormTest::creationOrderIsFocusOrder()
{
    const QStringList widgetsInOrder = {
        "label",         "btnLoadProgram", "btnRunProgram",  "txtProgram", "comboSamples",
        "btnLoadSample", "label_10",       "frame",          "label_3",    "lblPC",
        "btnRunCPU",     "btnRunStepCPU",  "label_4",        "lblOpcode",  "label_5",
        "lblAddress",    "label_6",        "lblAccumulator", "label_2",    "lblFLG",
        "label_13",      "tblMemory",      "label_11",       "label_12",   "txtInput",
        "txtOutput"};

    Widget window;
    QStringList chain;
    for (QWidget *w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if (widgetsInOrder.contains(w->objectName()) && !chain.contains(w->objectName()))
            chain << w->objectName();
    }
    QCOMPARE(chain, widgetsInOrder);
}

void FormTest::spacers_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<QList<int>>("spacerIndexes");
    QTest::addColumn<int>("spacerWidth");

    QTest::newRow("program counter row") << "horizontalLayout_3" << 5 << QList<int>{2} << 50;
    QTest::newRow("opcode and address row") << "horizontalLayout_4" << 6 << QList<int>{2, 5} << 40;
    QTest::newRow("accumulator row") << "horizontalLayout_5" << 3 << QList<int>{2} << 40;
    QTest::newRow("flags row") << "horizontalLayout_6" << 3 << QList<int>{2} << 40;
}

void FormTest::spacers()
{
    QFETCH(QString, layout);
    QFETCH(int, itemCount);
    QFETCH(QList<int>, spacerIndexes);
    QFETCH(int, spacerWidth);

    Widget window;
    auto *box = window.findChild<QBoxLayout *>(layout);
    QVERIFY(box);
    QCOMPARE(box->count(), itemCount);
    for (int i : spacerIndexes) {
        QSpacerItem *spacer = box->itemAt(i)->spacerItem();
        QVERIFY2(spacer, qPrintable(QString::number(i)));
        QCOMPARE(spacer->sizeHint(), QSize(spacerWidth, 20));
        QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
        QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Minimum);
    }
}

void FormTest::windowGeometry()
{
    Widget window;
    QCOMPARE(window.objectName(), QStringLiteral("Widget"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Korvane Computer Simulation"));
    QCOMPARE(window.styleSheet(), QStringLiteral("background-color: rgb(233, 185, 110);"));
    QCOMPARE(window.size(), QSize(1169, 439));
    QCOMPARE(window.maximumSize(), QSize(1300, 443));
    QCOMPARE(window.baseSize(), QSize(1300, 443));

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The layout may add a few pixels of height for the platform's fonts, but
    // never beyond the maximum.
    QCOMPARE(window.width(), 1169);
    QVERIFY2(window.height() >= 439 && window.height() <= 443,
             qPrintable(QString::number(window.height())));
    window.resize(2000, 2000);
    QCOMPARE(window.size(), QSize(1300, 443));
}

void FormTest::fixedSizes_data()
{
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    QTest::addColumn<QSize>("base");

    const QSize unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QTest::newRow("txtProgram") << QSize(275, 330) << QSize(275, 330) << QSize(275, 330);
    QTest::newRow("txtInput") << QSize(121, 241) << QSize(121, 241) << QSize(121, 241);
    QTest::newRow("txtOutput") << QSize(121, 241) << QSize(121, 241) << QSize(121, 241);
    QTest::newRow("tblMemory") << QSize(475, 400) << unbounded << QSize(410, 400);
}

void FormTest::fixedSizes()
{
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    QFETCH(QSize, base);

    Widget window;
    auto *widget = window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(widget);
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
    QCOMPARE(widget->baseSize(), base);
}

void FormTest::fixedBoxesKeepSizeOnResize()
{
    Widget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const QSize &size : {QSize(1300, 443), QSize(900, 300), QSize(1169, 439)}) {
        window.resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(window.findChild<QTextEdit *>("txtProgram")->size(), QSize(275, 330));
        QCOMPARE(window.findChild<QTextBrowser *>("txtInput")->size(), QSize(121, 241));
        QCOMPARE(window.findChild<QTextBrowser *>("txtOutput")->size(), QSize(121, 241));
    }
}

void FormTest::memoryTableHeaders()
{
    Widget window;
    auto *table = window.findChild<QTableWidget *>("tblMemory");
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 10);
    QCOMPARE(table->columnCount(), 10);

    struct Expected {
        QHeaderView *header;
        int sectionSize;
    };
    for (const Expected &e :
         {Expected{table->horizontalHeader(), 47}, Expected{table->verticalHeader(), 38}}) {
        QVERIFY(e.header->isHidden());
        QCOMPARE(e.header->minimumSectionSize(), 10);
        QCOMPARE(e.header->defaultSectionSize(), e.sectionSize);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(e.header->sectionSize(i), e.sectionSize);
    }
}

void FormTest::comboItems()
{
    Widget window;
    auto *combo = window.findChild<QComboBox *>("comboSamples");
    QVERIFY(combo);
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) {
        texts << combo->itemText(i);
        QVERIFY(combo->itemIcon(i).isNull());
        QVERIFY(!combo->itemData(i).isValid());
    }
    const QStringList expected = {"Adding 2 inputs",      "Max of 2 inputs",   "Count down timer",
                                  "Multiplying 2 inputs", "Tringular numbers", "Factorial of ..."};
    QCOMPARE(texts, expected);
    QCOMPARE(combo->currentIndex(), 0);
}

void FormTest::editability()
{
    Widget window;
    QVERIFY(!window.findChild<QTextEdit *>("txtProgram")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtInput")->isReadOnly());
    QVERIFY(window.findChild<QTextBrowser *>("txtOutput")->isReadOnly());
    QVERIFY(!window.findChild<QComboBox *>("comboSamples")->isEditable());

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
    QCOMPARE(form.tblMemory->parentWidget(), &host);
    // setupUi creates no table items; the window adds them.
    QVERIFY(!form.tblMemory->item(0, 0));
    QVERIFY(form.btnRunProgram->isEnabled());
}

void FormTest::slotsInDeclaredOrder()
{
    const QMetaObject &meta = Widget::staticMetaObject;
    QCOMPARE(meta.className(), "Widget");
    QStringList slotNames;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
        slotNames << QString::fromLatin1(method.methodSignature());
    }
    const QStringList expected = {"on_btnLoadProgram_clicked()", "on_btnRunProgram_clicked()",
                                  "on_btnLoadSample_clicked()", "on_btnRunCPU_clicked()"};
    QCOMPARE(slotNames, expected);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
}

QTEST_MAIN(FormTest)
#include "tst_form.moc"
