#include "modalanswers.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

ModalAnswers::ModalAnswers(const QString &input) : input(input)
{
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [this] { answerActiveModal(); });
    timer.start();
}

void ModalAnswers::answerActiveModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    if (auto *dialog = qobject_cast<QInputDialog *>(modal)) {
        dialog->setTextValue(input);
        dialog->accept();
        ++inputs;
    } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        seenMessages << box->text();
        box->reject();
    }
}
