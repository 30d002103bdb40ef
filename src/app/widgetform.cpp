#include "app/widgetform.h"

#include "machine/word.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QSpacerItem>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace
{

const char *const greenButtonStyle = "background-color: rgb(138, 226, 52);";
const char *const redButtonStyle = "background-color: rgb(204, 0, 0);";
const char *const whiteBoxStyle = "background-color: rgb(255, 255, 255);";
const char *const ioBoxStyle = "background-color: rgba(6, 93, 35, 202);\n"
                               "color: rgb(138, 226, 52);";

QSpacerItem *newRowSpacer(int width)
{
    return new QSpacerItem(width, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A register label shows its text literally: after an input it holds the
// text as the user typed it, which may look like markup.
QLabel *registerLabel(QWidget *parent, const char *name)
{
    auto *label = named(new QLabel(parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setFixedBoxSize(QWidget *box, int width, int height)
{
    box->setMinimumSize(QSize(width, height));
    box->setMaximumSize(QSize(width, height));
    box->setBaseSize(QSize(width, height));
}

void hideHeader(QHeaderView *header, int sectionSize)
{
    header->setVisible(false);
    header->setMinimumSectionSize(10);
    header->setDefaultSectionSize(sectionSize);
}

} // namespace

void WidgetForm::setupUi(QWidget *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName(QString::fromLatin1("Widget"));
    window->resize(1169, 439);
    window->setMaximumSize(QSize(1300, 443));
    window->setBaseSize(QSize(1300, 443));
    window->setStyleSheet(QString::fromLatin1("background-color: rgb(233, 185, 110);"));

    gridLayout_3 = named(new QGridLayout(window), "gridLayout_3");

    // Left column: editor with its buttons and the sample chooser.
    verticalLayout = named(new QVBoxLayout(), "verticalLayout");
    label = named(new QLabel(window), "label");
    verticalLayout->addWidget(label);

    horizontalLayout = named(new QHBoxLayout(), "horizontalLayout");
    btnLoadProgram = named(new QPushButton(window), "btnLoadProgram");
    btnLoadProgram->setStyleSheet(QString::fromLatin1(greenButtonStyle));
    horizontalLayout->addWidget(btnLoadProgram);
    btnRunProgram = named(new QPushButton(window), "btnRunProgram");
    btnRunProgram->setStyleSheet(QString::fromLatin1(redButtonStyle));
    horizontalLayout->addWidget(btnRunProgram);
    verticalLayout->addLayout(horizontalLayout);

    txtProgram = named(new QTextEdit(window), "txtProgram");
    setFixedBoxSize(txtProgram, 275, 330);
    txtProgram->setStyleSheet(QString::fromLatin1(whiteBoxStyle));
    verticalLayout->addWidget(txtProgram);

    horizontalLayout_2 = named(new QHBoxLayout(), "horizontalLayout_2");
    comboSamples = named(new QComboBox(window), "comboSamples");
    for (int i = 0; i < 6; ++i)
        comboSamples->addItem(QString());
    comboSamples->setStyleSheet(QString::fromLatin1("background-color: rgb(255, 255, 255);\n"
                                                    "color: rgb(0, 0, 0);"));
    horizontalLayout_2->addWidget(comboSamples);
    btnLoadSample = named(new QPushButton(window), "btnLoadSample");
    btnLoadSample->setStyleSheet(QString::fromLatin1(greenButtonStyle));
    horizontalLayout_2->addWidget(btnLoadSample);
    verticalLayout->addLayout(horizontalLayout_2);

    gridLayout_3->addLayout(verticalLayout, 0, 0, 2, 1);

    // Middle column, upper part: the register panel.
    verticalLayout_2 = named(new QVBoxLayout(), "verticalLayout_2");
    label_10 = named(new QLabel(window), "label_10");
    verticalLayout_2->addWidget(label_10);

    frame = named(new QFrame(window), "frame");
    frame->setStyleSheet(QString::fromLatin1("color: rgb(255, 255, 255);\n"
                                             "background-color: rgb(46, 52, 54);"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    gridLayout = named(new QGridLayout(frame), "gridLayout");

    horizontalLayout_3 = named(new QHBoxLayout(), "horizontalLayout_3");
    label_3 = named(new QLabel(frame), "label_3");
    horizontalLayout_3->addWidget(label_3);
    lblPC = registerLabel(frame, "lblPC");
    horizontalLayout_3->addWidget(lblPC);
    horizontalSpacer = newRowSpacer(50);
    horizontalLayout_3->addItem(horizontalSpacer);
    btnRunCPU = named(new QPushButton(frame), "btnRunCPU");
    btnRunCPU->setStyleSheet(QString::fromLatin1(redButtonStyle));
    horizontalLayout_3->addWidget(btnRunCPU);
    btnRunStepCPU = named(new QPushButton(frame), "btnRunStepCPU");
    btnRunStepCPU->setStyleSheet(QString::fromLatin1(redButtonStyle));
    horizontalLayout_3->addWidget(btnRunStepCPU);
    gridLayout->addLayout(horizontalLayout_3, 0, 0, 1, 1);

    horizontalLayout_4 = named(new QHBoxLayout(), "horizontalLayout_4");
    label_4 = named(new QLabel(frame), "label_4");
    horizontalLayout_4->addWidget(label_4);
    lblOpcode = registerLabel(frame, "lblOpcode");
    horizontalLayout_4->addWidget(lblOpcode);
    horizontalSpacer_2 = newRowSpacer(40);
    horizontalLayout_4->addItem(horizontalSpacer_2);
    label_5 = named(new QLabel(frame), "label_5");
    horizontalLayout_4->addWidget(label_5);
    lblAddress = registerLabel(frame, "lblAddress");
    horizontalLayout_4->addWidget(lblAddress);
    horizontalSpacer_3 = newRowSpacer(40);
    horizontalLayout_4->addItem(horizontalSpacer_3);
    gridLayout->addLayout(horizontalLayout_4, 1, 0, 1, 1);

    horizontalLayout_5 = named(new QHBoxLayout(), "horizontalLayout_5");
    label_6 = named(new QLabel(frame), "label_6");
    horizontalLayout_5->addWidget(label_6);
    lblAccumulator = registerLabel(frame, "lblAccumulator");
    horizontalLayout_5->addWidget(lblAccumulator);
    horizontalSpacer_4 = newRowSpacer(40);
    horizontalLayout_5->addItem(horizontalSpacer_4);
    gridLayout->addLayout(horizontalLayout_5, 2, 0, 1, 1);

    horizontalLayout_6 = named(new QHBoxLayout(), "horizontalLayout_6");
    label_2 = named(new QLabel(frame), "label_2");
    horizontalLayout_6->addWidget(label_2);
    lblFLG = registerLabel(frame, "lblFLG");
    horizontalLayout_6->addWidget(lblFLG);
    horizontalSpacer_5 = newRowSpacer(40);
    horizontalLayout_6->addItem(horizontalSpacer_5);
    gridLayout->addLayout(horizontalLayout_6, 3, 0, 1, 1);

    verticalLayout_2->addWidget(frame);
    gridLayout_3->addLayout(verticalLayout_2, 0, 1, 1, 1);

    // Right column, spanning both rows: the memory table.
    verticalLayout_3 = named(new QVBoxLayout(), "verticalLayout_3");
    label_13 = named(new QLabel(window), "label_13");
    verticalLayout_3->addWidget(label_13);
    tblMemory = named(new QTableWidget(window), "tblMemory");
    tblMemory->setMinimumSize(QSize(475, 400));
    tblMemory->setBaseSize(QSize(410, 400));
    tblMemory->setStyleSheet(QString::fromLatin1("background-color: rgb(46, 52, 54);\n"
                                                 "color: rgb(255, 255, 255);"));
    tblMemory->setRowCount(machine::kMemoryRows);
    tblMemory->setColumnCount(machine::kMemoryColumns);
    hideHeader(tblMemory->horizontalHeader(), 47);
    hideHeader(tblMemory->verticalHeader(), 38);
    verticalLayout_3->addWidget(tblMemory);
    gridLayout_3->addLayout(verticalLayout_3, 0, 2, 2, 1);

    // Middle column, lower part: the input and output boxes.
    gridLayout_2 = named(new QGridLayout(), "gridLayout_2");
    label_11 = named(new QLabel(window), "label_11");
    gridLayout_2->addWidget(label_11, 0, 0, 1, 1);
    label_12 = named(new QLabel(window), "label_12");
    gridLayout_2->addWidget(label_12, 0, 1, 1, 1);
    txtInput = named(new QTextBrowser(window), "txtInput");
    setFixedBoxSize(txtInput, 121, 241);
    txtInput->setStyleSheet(QString::fromLatin1(ioBoxStyle));
    gridLayout_2->addWidget(txtInput, 1, 0, 1, 1);
    txtOutput = named(new QTextBrowser(window), "txtOutput");
    setFixedBoxSize(txtOutput, 121, 241);
    txtOutput->setStyleSheet(QString::fromLatin1(ioBoxStyle));
    gridLayout_2->addWidget(txtOutput, 1, 1, 1, 1);
    gridLayout_3->addLayout(gridLayout_2, 1, 1, 1, 1);

    retranslateUi(window);

    QMetaObject::connectSlotsByName(window);
}

void WidgetForm::retranslateUi(QWidget *window)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("Widget", text); };

    window->setWindowTitle(tr("Korvane Computer Simulation"));
    label->setText(tr("Program"));
    btnLoadProgram->setText(tr("Load program in RAM"));
    btnRunProgram->setText(tr("Run program"));
    comboSamples->setItemText(0, tr("Adding 2 inputs"));
    comboSamples->setItemText(1, tr("Max of 2 inputs"));
    comboSamples->setItemText(2, tr("Count down timer"));
    comboSamples->setItemText(3, tr("Multiplying 2 inputs"));
    comboSamples->setItemText(4, tr("Tringular numbers"));
    comboSamples->setItemText(5, tr("Factorial of ..."));
    btnLoadSample->setText(tr("Load program"));
    label_10->setText(tr("Central Processing Unit"));
    label_3->setText(tr("Program Counter:"));
    lblPC->setText(tr("00"));
    btnRunCPU->setText(tr(">"));
    btnRunStepCPU->setText(tr(">|"));
    label_4->setText(tr("Opcode:"));
    lblOpcode->setText(tr("00"));
    label_5->setText(tr("Address:"));
    lblAddress->setText(tr("00"));
    label_6->setText(tr("Accumulator:"));
    lblAccumulator->setText(tr("00"));
    label_2->setText(tr("Flags:"));
    lblFLG->setText(tr("00"));
    label_13->setText(tr("Random Access Memory(RAM)"));
    label_11->setText(tr("Input:"));
    label_12->setText(tr("Output:"));
}
