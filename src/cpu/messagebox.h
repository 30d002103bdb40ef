#pragma once

#include <QMessageBox>
#include <QString>

// Gives a bare box (no parent, title or icon) the text of a message, shown
// literally: a message quotes names and lines the user wrote, and "<B>" or
// "<i>X</i>" in them must not be taken for markup.
inline void setMessage(QMessageBox &box, const QString &text)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

// Shows a message the way every action of the window reports one: a bare box
// with the toolkit's one OK button.
inline void showMessage(const QString &text)
{
    QMessageBox box;
    setMessage(box, text);
    box.exec();
}
