#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

WindowView WindowView::of(const QWidget *window)
{
    WindowView view;
    view.output = window->findChild<QTextBrowser *>(QStringLiteral("txtOutput"))->toPlainText();
    for (const char *name : {"lblPC", "lblOpcode", "lblAddress", "lblAccumulator", "lblFLG"})
        view.registers << displayedText(window->findChild<QLabel *>(QLatin1String(name)));
    const auto *table = window->findChild<QTableWidget *>(QStringLiteral("tblMemory"));
    if (table->currentItem())
        view.currentCell = table->currentRow() * table->columnCount() + table->currentColumn();
    return view;
}

QString displayedText(const QLabel *label)
{
    const Qt::TextFormat format = label->textFormat();
    if (format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label->text()))) {
        QTextDocument document;
        document.setHtml(label->text());
        return document.toPlainText();
    }
    return label->text();
}

ModalAnswerer::ModalAnswerer(const QWidget *window) : window(window)
{
    // Interval 0: answered as soon as the dialog's own event loop is idle.
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this] { answerActiveModal(); });
    timer.start();
}

void ModalAnswerer::type(const QString &text)
{
    answers.enqueue({Answer::Type, text});
}

void ModalAnswerer::typeEach(const QStringList &texts)
{
    for (const QString &text : texts)
        type(text);
}

void ModalAnswerer::cancel()
{
    answers.enqueue({Answer::Cancel, QString()});
}

void ModalAnswerer::press(const QString &buttonText)
{
    answers.enqueue({Answer::Press, buttonText});
}

void ModalAnswerer::escape()
{
    answers.enqueue({Answer::Escape, QString()});
}

void ModalAnswerer::close()
{
    answers.enqueue({Answer::Close, QString()});
}

QStringList ModalAnswerer::texts() const
{
    QStringList all;
    for (const Seen &modal : seen)
        all << modal.text;
    return all;
}

void ModalAnswerer::answerActiveModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    const WindowView view = window ? WindowView::of(window) : WindowView();

    if (auto *dialog = qobject_cast<QInputDialog *>(modal)) {
        seen << Seen{QStringLiteral("input: ") + dialog->windowTitle() + QStringLiteral(" / ") +
                         dialog->labelText(),
                     QString(), view};
        const bool queued = !answers.isEmpty() && (answers.head().kind == Answer::Type ||
                                                   answers.head().kind == Answer::Cancel);
        if (!queued && fallbackInput.isNull()) {
            ++unexpected;
            dialog->reject();
            return;
        }
        const Answer answer = queued ? answers.dequeue() : Answer{Answer::Type, fallbackInput};
        if (answer.kind == Answer::Cancel) {
            dialog->reject();
        } else {
            dialog->setTextValue(answer.text);
            dialog->accept();
        }
        return;
    }

    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box)
        return;
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    seen << Seen{box->text(), label ? displayedText(label) : QString(), view};
    const bool queued = !answers.isEmpty() && answers.head().kind != Answer::Type &&
                        answers.head().kind != Answer::Cancel;
    if (!queued) {
        ++unexpected;
        box->close();
        return;
    }
    const Answer answer = answers.dequeue();
    switch (answer.kind) {
    case Answer::Escape:
        QTest::keyClick(box, Qt::Key_Escape);
        return;
    case Answer::Close:
        box->close();
        return;
    default:
        break;
    }
    QAbstractButton *target = box->button(QMessageBox::Ok);
    for (QAbstractButton *button : box->buttons()) {
        if (!answer.text.isEmpty() && button->text() == answer.text)
            target = button;
    }
    if (target)
        target->click();
    else
        box->close();
}
