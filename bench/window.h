#pragma once

// The real window, driven as a user drives it: a program typed in and loaded,
// then "Run program" clicked; nothing asks "keep running?".

#include "app/widget.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

namespace bench
{

class Window
{
public:
    explicit Window(const QString &program)
    {
        widget.setStepsPerQuestion(0);
        widget.show();
        find<QTextEdit>("txtProgram")->setPlainText(program);
        load();
    }

    template <typename T>
    T *find(const char *name) const
    {
        return widget.findChild<T *>(QLatin1String(name));
    }
    // "Load program in RAM": also empties the output box.
    void load() { find<QPushButton>("btnLoadProgram")->click(); }
    void run() { find<QPushButton>("btnRunProgram")->click(); }
    QString label(const char *name) const { return find<QLabel>(name)->text(); }
    QString cell(int address) const
    {
        return find<QTableWidget>("tblMemory")->item(address / 10, address % 10)->text();
    }
    // Lets the window handle what the click left queued (repaints, layout).
    static void settle() { QCoreApplication::processEvents(); }

private:
    Widget widget;
};

} // namespace bench
