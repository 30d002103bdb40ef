#include "cpu/cpu.h"

#include "app/widgetform.h"
#include "cpu/messagebox.h"

#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include <iostream>

using machine::Processor;

namespace
{

// Appends text at the end of a box, never reading it as markup, in time
// proportional to the new text.
//
// An empty box gets the text as its whole content: the document then lays out
// the first screen at once and the rest in steps from the event loop, once,
// at the width it keeps after its scroll bar appears. Text inserted with a
// cursor is laid out during the run, and laid out again when the scroll bar
// appears. A box that already holds text gets the new text through a cursor
// at its end, which leaves the view where the user scrolled it.
//
// The boxes are read-only, so nobody can undo an edit; keeping an undo
// history of the appended text would only cost time.
void appendPlainText(QTextEdit *box, const QString &text)
{
    QTextDocument *document = box->document();
    if (document->isUndoRedoEnabled())
        document->setUndoRedoEnabled(false);
    if (document->isEmpty()) {
        document->setPlainText(text);
        return;
    }
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

} // namespace

Cpu::Cpu(WidgetForm &form, QWidget *dialogParent, quint64 stepsPerQuestion)
    : form(form), dialogParent(dialogParent), stepsPerQuestion(stepsPerQuestion)
{
}

void Cpu::loadMemory()
{
    const QTableWidget *table = form.tblMemory;
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            if (loadedCount >= machine::kMemorySize)
                return;
            const QTableWidgetItem *item = table->item(row, column);
            processor.setWord(loadedCount, item ? item->text() : QString());
            ++loadedCount;
        }
    }
}

void Cpu::run()
{
    machine::RunLoop loop(processor, *this, stepsPerQuestion, 0);
    const machine::RunEnd end = loop.run();
    showChanges();
    if (end.kind == machine::RunEnd::Fault)
        showMessage(end.message);
}

// Cancel gives an empty text, which asks again like an empty text confirmed.
std::optional<QString> Cpu::typedText(qint32)
{
    showChanges();
    return QInputDialog::getText(dialogParent, QStringLiteral("Input a value"),
                                 QStringLiteral("Input:"), QLineEdit::Normal, QString());
}

// The accumulator label shows the text as typed, not the number read from it.
void Cpu::inputAccepted(const QString &typed, qint32)
{
    form.lblAccumulator->setText(typed);
    const bool first = form.txtInput->document()->isEmpty();
    appendPlainText(form.txtInput, first ? typed : QLatin1Char('\n') + typed);
}

void Cpu::writeValue(qint32 value)
{
    pendingOutput += QString::number(value);
    pendingOutput += QLatin1Char('\n');
}

void Cpu::message(const QString &text)
{
    showChanges();
    showMessage(text);
}

void Cpu::operandReport(qint32, const QString &line)
{
    std::cerr << line.toStdString() << std::flush;
}

bool Cpu::keepRunning(quint64 executedSteps)
{
    showChanges();
    QMessageBox box;
    setMessage(box, QLatin1String("The program has run ") + QString::number(executedSteps) +
                        QLatin1String(" steps without halting. Keep running?"));
    QPushButton *keep = box.addButton(QStringLiteral("Keep running"), QMessageBox::AcceptRole);
    // The reject role makes Escape and the window's close button answer "Stop".
    box.addButton(QStringLiteral("Stop"), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == keep;
}

void Cpu::showChanges()
{
    const Processor::Changes changes = processor.takeChanges();
    if (changes.pc)
        form.lblPC->setText(QString::number(processor.pc()));
    if (changes.decoded) {
        form.lblOpcode->setText(QString::number(processor.opcode()));
        form.lblAddress->setText(QString::number(processor.address()));
    }
    if (changes.accumulator)
        form.lblAccumulator->setText(QString::number(processor.accumulator()));
    if (changes.flags)
        form.lblFLG->setText(QStringLiteral("1"));

    for (int address = 0; address < machine::kMemorySize; ++address) {
        if (!changes.storedCells.test(static_cast<size_t>(address)))
            continue;
        if (QTableWidgetItem *item =
                form.tblMemory->item(machine::rowOf(address), machine::columnOf(address)))
            item->setText(processor.word(address));
    }

    if (!pendingOutput.isEmpty()) {
        appendPlainText(form.txtOutput, pendingOutput);
        pendingOutput.clear();
    }

    if (changes.stepCompleted) {
        // The current cell is also the only selected one; a place outside the
        // table clears both.
        const int row = changes.currentCell ? machine::rowOf(*changes.currentCell) : -1;
        const int column = changes.currentCell ? machine::columnOf(*changes.currentCell) : -1;
        form.tblMemory->setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect);
    }
}
