#pragma once

#include <QWidget>

class WidgetForm;

// The application's one window: the program editor with the sample chooser,
// the register panel, the input and output boxes and the 10 by 10 memory
// table. The slots are connected to the buttons by their object names.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget *parent = nullptr);
    ~Widget() override;

    // How many steps a run may take without halting before the user is asked
    // whether to keep running (0 never asks).
    void setStepsPerQuestion(quint64 steps) { stepsPerQuestion = steps; }

private:
    // The parent given at construction; used as the parent of the input
    // dialogs of a run (null for the main window).
    QWidget *dialogParent;
    // Pointers to every child widget and layout; owned by this window.
    WidgetForm *form;
    quint64 stepsPerQuestion;

    // Fills the memory table with "00" items, selects cell (0, 0), puts the
    // chosen sample into the editor and disables the run buttons.
    void initialize();
    // Sets the text of every memory cell back to "00".
    void resetMemoryTable();

private slots:
    void on_btnLoadProgram_clicked();
    void on_btnRunProgram_clicked();
    void on_btnLoadSample_clicked();
    void on_btnRunCPU_clicked();
};
