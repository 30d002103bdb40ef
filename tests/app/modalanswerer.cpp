#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

ModalAnswerer::ModalAnswerer()
{
    timer.setInterval(1);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::answerActiveModal);
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

void ModalAnswerer::answerActiveModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;

    if (auto *dialog = qobject_cast<QInputDialog *>(modal)) {
        seen << QStringLiteral("input: ") + dialog->windowTitle() + QStringLiteral(" / ") +
                    dialog->labelText();
        if (answers.isEmpty() || answers.head().kind == Answer::Press) {
            ++unexpected;
            dialog->reject();
            return;
        }
        const Answer answer = answers.dequeue();
        if (answer.kind == Answer::Cancel) {
            dialog->reject();
        } else {
            dialog->setTextValue(answer.text);
            dialog->accept();
        }
        return;
    }

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        seen << box->text();
        if (answers.isEmpty() || answers.head().kind != Answer::Press) {
            ++unexpected;
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
            return;
        }
        const Answer answer = answers.dequeue();
        QAbstractButton *target = box->button(QMessageBox::Ok);
        for (QAbstractButton *button : box->buttons()) {
            if (!answer.text.isEmpty() && button->text() == answer.text)
                target = button;
        }
        if (target)
            target->click();
        else
            box->reject();
    }
}
