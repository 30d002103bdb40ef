#pragma once

// Drives the real window the way a user does: by its widgets' object names.

#include "app/widget.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

class WindowDriver
{
public:
    WindowDriver() { window.show(); }

    template <typename T>
    T *find(const char *name) const
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no widget named %s", name);
        return widget;
    }

    QString program() const { return find<QTextEdit>("txtProgram")->toPlainText(); }
    void setProgram(const QString &text) { find<QTextEdit>("txtProgram")->setPlainText(text); }
    void chooseSample(int index)
    {
        find<QComboBox>("comboSamples")->setCurrentIndex(index);
        click("btnLoadSample");
    }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void load() { click("btnLoadProgram"); }
    void run() { click("btnRunProgram"); }

    QString input() const { return find<QTextBrowser>("txtInput")->toPlainText(); }
    QString output() const { return find<QTextBrowser>("txtOutput")->toPlainText(); }
    QTableWidget *table() const { return find<QTableWidget>("tblMemory"); }
    // The cell texts in address order.
    QStringList cells() const
    {
        QStringList texts;
        for (int row = 0; row < table()->rowCount(); ++row) {
            for (int column = 0; column < table()->columnCount(); ++column)
                texts << table()->item(row, column)->text();
        }
        return texts;
    }
    QList<bool> runButtonsEnabled() const
    {
        return {find<QPushButton>("btnRunProgram")->isEnabled(),
                find<QPushButton>("btnRunCPU")->isEnabled(),
                find<QPushButton>("btnRunStepCPU")->isEnabled()};
    }

    Widget window;
};
