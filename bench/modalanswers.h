#pragma once

// Answers the window's modal dialogs while a benchmarked click runs: every
// input dialog gets the same text, every message box is closed and counted as
// an error, since none is expected in these runs.

#include <QString>
#include <QStringList>
#include <QTimer>

class ModalAnswers
{
public:
    explicit ModalAnswers(const QString &input);

    int inputsAnswered() const { return inputs; }
    // Texts of the message boxes that came up (none in a good run).
    const QStringList &messages() const { return seenMessages; }

private:
    void answerActiveModal();

    QString input;
    int inputs = 0;
    QStringList seenMessages;
    QTimer timer; // fires whenever a dialog's event loop is idle
};
