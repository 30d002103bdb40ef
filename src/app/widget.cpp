#include "app/widget.h"

#include "app/sampleprograms.h"
#include "app/widgetform.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTextEdit>

namespace
{

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

Widget::Widget(QWidget *parent) : QWidget(parent), dialogParent(parent), form(new WidgetForm)
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
            auto *item = new QTableWidgetItem(QStringLiteral("00"));
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
            table->item(row, column)->setText(QStringLiteral("00"));
    }
}

void Widget::on_btnLoadProgram_clicked() {}

void Widget::on_btnRunProgram_clicked() {}

void Widget::on_btnLoadSample_clicked()
{
    showChosenSample(*form);
}

void Widget::on_btnRunCPU_clicked() {}
