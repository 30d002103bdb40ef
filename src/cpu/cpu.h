#pragma once

// The processor of one "Run program" click, bound to the window.
//
// The machine itself runs in a widget-free Processor, driven by the run loop
// that every front end shares; this class is the loop's console for the
// window: it shows what the run reports and asks the user what it needs.
// Nothing repaints while a run is busy, so the widgets are written only at
// the moments the user can see the window (an input dialog or message box
// opening, the end of the run), and then show exactly what writing them at
// every step would have left.

#include "machine/console.h"
#include "machine/processor.h"
#include "machine/runloop.h"

#include <QString>
#include <QtGlobal>

class QWidget;
class WidgetForm;

class Cpu : private machine::Console
{
public:
    // After this many executed steps without a halt the user is asked whether
    // to keep running; 0 never asks.
    static constexpr quint64 kDefaultStepsPerQuestion = machine::kLongRunSteps;

    Cpu(WidgetForm &form, QWidget *dialogParent,
        quint64 stepsPerQuestion = kDefaultStepsPerQuestion);

    // Copies the memory table into the processor, row by row.
    void loadMemory();
    // Runs to a halt, an error, or the user's decision to stop.
    void run();

private:
    std::optional<QString> typedText(qint32 address) override;
    void inputAccepted(const QString &typed, qint32 value) override;
    void writeValue(qint32 value) override;
    void message(const QString &text) override;
    void operandReport(qint32 address, const QString &line) override;
    bool keepRunning(quint64 executedSteps) override;

    void showChanges();

    machine::Processor processor;
    WidgetForm &form;
    QWidget *dialogParent;
    int loadedCount = 0; // cells copied from the table so far
    quint64 stepsPerQuestion;
    QString pendingOutput; // output lines not yet in the output box
};
