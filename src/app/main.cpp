#include "app/widget.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Widget window;
    window.setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    window.show();
    return application.exec();
}
