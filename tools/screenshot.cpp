// Saves a picture of the main window as it looks right after start-up.
// Usage: korvane_screenshot [output.png]   (default: window.png)
// Run it with QT_QPA_PLATFORM=offscreen to need no display.
#include "app/widget.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString path = arguments.size() > 1 ? arguments.at(1) : QStringLiteral("window.png");

    Widget window;
    window.setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    window.show();
    // Let the layouts settle and the first paint happen before grabbing.
    QCoreApplication::processEvents();

    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "korvane_screenshot: cannot write %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
