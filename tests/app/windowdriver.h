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

    void setProgram(const QString &text) { find<QTextEdit>("txtProgram")->setPlainText(text); }
    void chooseSample(int index)
    {
        find<QComboBox>("comboSamples")->setCurrentIndex(index);
        click("btnLoadSample");
    }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void load() { click("btnLoadProgram"); }
    void run() { click("btnRunProgram"); }

    QString label(const char *name) const { return find<QLabel>(name)->text(); }
    QString input() const { return find<QTextBrowser>("txtInput")->toPlainText(); }
    QString output() const { return find<QTextBrowser>("txtOutput")->toPlainText(); }
    QTableWidget *table() const { return find<QTableWidget>("tblMemory"); }
    QString cell(int address) const { return table()->item(address / 10, address % 10)->text(); }
    // The first `count` cell texts, in address order.
    QStringList cells(int count = 100) const
    {
        QStringList texts;
        for (int address = 0; address < count; ++address)
            texts << cell(address);
        return texts;
    }
    bool runButtonsEnabled() const
    {
        return find<QPushButton>("btnRunProgram")->isEnabled() &&
               find<QPushButton>("btnRunCPU")->isEnabled() &&
               find<QPushButton>("btnRunStepCPU")->isEnabled();
    }

    Widget window;
};
