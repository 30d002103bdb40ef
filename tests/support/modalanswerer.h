#pragma once

// Answers the modal dialogs and message boxes that a click on the window
// opens, from answers queued beforehand, and records each one together with
// what the window showed at that moment: the run promises that the window is
// up to date whenever the user can see it.

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

class QLabel;
class QWidget;

// What the window shows of a run: the output box, the five register labels
// (program counter, opcode, address, accumulator, flags) as displayed, and
// the current cell's address (-1 for none).
struct WindowView {
    QString output;
    QStringList registers;
    int currentCell = -1;

    static WindowView of(const QWidget *window);
    bool operator==(const WindowView &) const = default;
};

// The text as a label displays it: read as markup where the label takes it for markup.
QString displayedText(const QLabel *label);

class ModalAnswerer
{
public:
    // window: the main window whose view is recorded; may be null.
    explicit ModalAnswerer(const QWidget *window = nullptr);

    // The next input dialog: type the text and press OK, or press Cancel.
    void type(const QString &text);
    void typeEach(const QStringList &texts);
    void cancel();
    // The next message box: press the button with this text (OK when
    // empty), press Escape, or use the window's close button.
    void press(const QString &buttonText = QString());
    void escape();
    void close();
    // Input dialogs that find no queued answer get this text instead.
    void typeInEveryInput(const QString &text) { fallbackInput = text; }

    struct Seen {
        QString text;      // "input: <title> / <label>", or the message box's text
        QString displayed; // the message box's text as its label displays it
        WindowView window;
    };
    QList<Seen> seen;
    // What each modal said, in order.
    QStringList texts() const;
    // Modals that came when no answer was queued; they were closed.
    int unexpected = 0;
    bool allAnswered() const { return answers.isEmpty(); }

private:
    struct Answer {
        enum Kind { Type, Cancel, Press, Escape, Close } kind;
        QString text;
    };
    void answerActiveModal();

    const QWidget *window;
    QQueue<Answer> answers;
    QString fallbackInput;
    QTimer timer;
};
