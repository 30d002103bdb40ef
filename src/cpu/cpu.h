#pragma once

// The processor of one "Run program" click, bound to the window.
//
// The machine itself runs in a widget-free Processor; this class only shows
// what it reports and asks the user what it needs. Nothing repaints while a
// run is busy, so the widgets are written only at the moments the user can
// see the window (an input dialog or message box opening, the end of the
// run), and then show exactly what writing them at every step would have left.

#include "cpu/processor.h"

#include <QtGlobal>

class QWidget;
class WidgetForm;

class Cpu
{
public:
    // After this many executed steps without a halt the user is asked whether
    // to keep running; 0 never asks.
    static constexpr quint64 kDefaultStepsPerQuestion = 10'000'000;

    Cpu(WidgetForm &form, QWidget *dialogParent,
        quint64 stepsPerQuestion = kDefaultStepsPerQuestion);

    // Copies the memory table into the processor, row by row.
    void loadMemory();
    // Runs to a halt, an error, or the user's decision to stop.
    void run();

private:
    void readInput();
    bool keepRunning();
    void showChanges();

    machine::Processor processor;
    WidgetForm &form;
    QWidget *dialogParent;
    int loadedCount = 0; // cells copied from the table so far
    quint64 stepsPerQuestion;
};
