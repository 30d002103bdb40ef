#pragma once

// Answers the modal dialogs and message boxes that a click opens, from a
// queue of answers the test gives beforehand, and records what each one said.

#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    ModalAnswerer();

    // Types the text into the next input dialog and presses OK.
    void type(const QString &text);
    // Types each text in turn into the next input dialogs.
    void typeEach(const QStringList &texts);
    // Presses Cancel in the next input dialog.
    void cancel();
    // Presses the button with this text in the next message box (OK when empty).
    void press(const QString &buttonText = QString());

    // One entry per modal seen, in order: "input: <title> / <label>" or the
    // message box text.
    QStringList seen;
    // Modals that came when no answer was queued; they were closed.
    int unexpected = 0;

    bool allAnswered() const { return answers.isEmpty(); }

private:
    struct Answer {
        enum Kind { Type, Cancel, Press } kind;
        QString text;
    };
    void answerActiveModal();

    QQueue<Answer> answers;
    QTimer timer;
};
