#include "cpu/cpu.h"

#include "app/widgetform.h"
#include "cpu/messagebox.h"
#include "machine/typedinput.h"

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
    processor.setOperandReport([](qint32, const QString &line) {
        std::cerr << line.toStdString() << std::flush;
    });
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
    for (;;) {
        switch (processor.run(machine::nextPause(processor.executedSteps(), stepsPerQuestion, 0))) {
        case Processor::Stop::Halted:
            showChanges();
            return;
        case Processor::Stop::NeedsInput:
            showChanges();
            readInput();
            break;
        case Processor::Stop::Fault:
            showChanges();
            showMessage(processor.faultMessage());
            return;
        case Processor::Stop::StepLimit:
            showChanges();
            if (!keepRunning())
                return;
            break;
        }
    }
}

// Asks until a number is typed. Cancel and an empty text ask again; a text
// without a number (or one too large for 32 bits) is answered first.
void Cpu::readInput()
{
    for (;;) {
        const QString typed =
            QInputDialog::getText(dialogParent, QStringLiteral("Input a value"),
                                  QStringLiteral("Input:"), QLineEdit::Normal, QString());
        const machine::TypedInput input = machine::readTypedInput(typed);
        if (input.kind == machine::TypedInput::Empty)
            continue;
        if (input.kind == machine::TypedInput::Invalid) {
            showMessage(machine::kInvalidInputMessage);
            continue;
        }
        processor.completeInput(input.value);
        form.lblAccumulator->setText(typed);
        const bool first = form.txtInput->document()->isEmpty();
        appendPlainText(form.txtInput, first ? typed : QLatin1Char('\n') + typed);
        return;
    }
}

bool Cpu::keepRunning()
{
    QMessageBox box;
    setMessage(box, QLatin1String("The program has run ") +
                        QString::number(processor.executedSteps()) +
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

    if (!changes.output.empty()) {
        QString lines;
        lines.reserve(qsizetype(changes.output.size()) * 12);
        for (const qint32 value : changes.output) {
            lines += QString::number(value);
            lines += QLatin1Char('\n');
        }
        appendPlainText(form.txtOutput, lines);
    }

    if (changes.stepCompleted) {
        // The current cell is also the only selected one; a place outside the
        // table clears both.
        const int row = changes.currentCell ? machine::rowOf(*changes.currentCell) : -1;
        const int column = changes.currentCell ? machine::columnOf(*changes.currentCell) : -1;
        form.tblMemory->setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect);
    }
}
