#pragma once

class QComboBox;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSpacerItem;
class QTableWidget;
class QTextBrowser;
class QTextEdit;
class QVBoxLayout;
class QWidget;

// Builds the main window's widget tree and sets its texts. Every pointer is
// owned by the window (widgets) or by a parent layout (layouts and spacers),
// so destroying the form destroys none of them. The object names matter: the
// window's slots are connected to the buttons by name.
class WidgetForm
{
public:
    QGridLayout *gridLayout_3 = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QLabel *label = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QPushButton *btnLoadProgram = nullptr;
    QPushButton *btnRunProgram = nullptr;
    QTextEdit *txtProgram = nullptr;
    QHBoxLayout *horizontalLayout_2 = nullptr;
    QComboBox *comboSamples = nullptr;
    QPushButton *btnLoadSample = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QLabel *label_10 = nullptr;
    QFrame *frame = nullptr;
    QGridLayout *gridLayout = nullptr;
    QHBoxLayout *horizontalLayout_3 = nullptr;
    QLabel *label_3 = nullptr;
    QLabel *lblPC = nullptr;
    QSpacerItem *horizontalSpacer = nullptr;
    QPushButton *btnRunCPU = nullptr;
    QPushButton *btnRunStepCPU = nullptr;
    QHBoxLayout *horizontalLayout_4 = nullptr;
    QLabel *label_4 = nullptr;
    QLabel *lblOpcode = nullptr;
    QSpacerItem *horizontalSpacer_2 = nullptr;
    QLabel *label_5 = nullptr;
    QLabel *lblAddress = nullptr;
    QSpacerItem *horizontalSpacer_3 = nullptr;
    QHBoxLayout *horizontalLayout_5 = nullptr;
    QLabel *label_6 = nullptr;
    QLabel *lblAccumulator = nullptr;
    QSpacerItem *horizontalSpacer_4 = nullptr;
    QHBoxLayout *horizontalLayout_6 = nullptr;
    QLabel *label_2 = nullptr;
    QLabel *lblFLG = nullptr;
    QSpacerItem *horizontalSpacer_5 = nullptr;
    QVBoxLayout *verticalLayout_3 = nullptr;
    QLabel *label_13 = nullptr;
    QTableWidget *tblMemory = nullptr;
    QGridLayout *gridLayout_2 = nullptr;
    QLabel *label_11 = nullptr;
    QLabel *label_12 = nullptr;
    QTextBrowser *txtInput = nullptr;
    QTextBrowser *txtOutput = nullptr;

    // Creates all children of the window, sets their texts and connects the
    // window's on_<object>_<signal> slots. Call once.
    void setupUi(QWidget *window);
    // Sets the window title and every caption, button and sample name.
    void retranslateUi(QWidget *window);
};
