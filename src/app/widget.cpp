#include "app/widget.h"

#include "app/sampleprograms.h"
#include "app/widgetform.h"
#include "assembler/assembler.h"
#include "assembler/splittext.h"
#include "cpu/cpu.h"
#include "cpu/messagebox.h"
#include "machine/word.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTextBrowser>
#include <QTextEdit>

namespace
{

// What a register label reads before a run has written it.
const QString kClearedRegister = QStringLiteral("00");

// Puts the sample chosen in the combo box into the editor. The combo box is
// created with exactly one item per sample; an index outside the table (no
// item current) leaves the editor alone.
void showChosenSample(const WidgetForm &form)
{
    const int index = form.comboSamples->currentIndex();
    if (index < 0 || index >= sampleProgramCount)
        return;
    form.txtProgram->setText(samplePrograms()[static_cast<std::size_t>(index)]);
}

} // namespace

Widget::Widget(QWidget *parent)
    : QWidget(parent), dialogParent(parent), form(new WidgetForm),
      stepsPerQuestion(Cpu::kDefaultStepsPerQuestion)
{
    form->setupUi(this);
    initialize();
}

Widget::~Widget()
{
    delete form;
}

void Widget::initialize()
{
    QTableWidget *table = form->tblMemory;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            auto *item = new QTableWidgetItem(QString(machine::kEmptyWord));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            table->setItem(row, column, item);
        }
    }
    table->selectionModel()->select(table->model()->index(0, 0), QItemSelectionModel::Select);

    showChosenSample(*form);

    form->btnRunProgram->setEnabled(false);
    form->btnRunCPU->setEnabled(false);
    form->btnRunStepCPU->setEnabled(false);
}

void Widget::resetMemoryTable()
{
    QTableWidget *table = form->tblMemory;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column)
            table->item(row, column)->setText(QString(machine::kEmptyWord));
    }
}

// "Load program in RAM": clears the machine's display, assembles the editor
// text and writes the words into the memory table. The table is written only
// once the whole program has assembled, so a failed load leaves it empty.
void Widget::on_btnLoadProgram_clicked()
{
    resetMemoryTable();
    form->lblPC->setText(kClearedRegister);
    form->lblFLG->setText(kClearedRegister);
    form->txtInput->setText(QString());
    form->txtOutput->setText(QString());
    form->lblOpcode->setText(kClearedRegister);
    form->lblAddress->setText(kClearedRegister);
    form->lblAccumulator->setText(kClearedRegister);

    Assembler assembler(Assembler::kDefaultSymbolCapacity);
    try {
        const QString image = assembler.assemble(form->txtProgram->toPlainText());
        const QList<QString> words = splitText(image, QStringLiteral("\n"));
        for (int address = 0; address < words.size() && address < machine::kMemorySize; ++address) {
            form->tblMemory->item(machine::rowOf(address), machine::columnOf(address))
                ->setText(words[address]);
        }
        form->btnRunProgram->setEnabled(true);
        form->btnRunCPU->setEnabled(true);
        form->btnRunStepCPU->setEnabled(true);
    } catch (const QString &message) {
        showMessage(message);
    }
}

// "Run program": runs the memory table's words on a fresh processor. The
// table keeps what the run stores; the run reports its own errors.
void Widget::on_btnRunProgram_clicked()
{
    Cpu cpu(*form, dialogParent, stepsPerQuestion);
    cpu.loadMemory();
    cpu.run();
}

void Widget::on_btnLoadSample_clicked()
{
    showChosenSample(*form);
}

void Widget::on_btnRunCPU_clicked() {}
