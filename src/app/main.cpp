#include "app/widget.h"
#include "appicon.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setWindowIcon(applicationIcon());
    // Ties the window to its menu entry and icon on desktops that ask (Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvane.Simulation"));
    Widget window;
    window.setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    window.show();
    return application.exec();
}
