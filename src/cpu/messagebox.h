#pragma once

#include <QMessageBox>
#include <QString>

// Shows a message the way every action of the window reports one: a box
// without parent, title or icon, with the toolkit's one OK button.
inline void showMessage(const QString &text)
{
    QMessageBox box;
    box.setText(text);
    box.exec();
}
