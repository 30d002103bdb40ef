#include "appicon.h"

#include <QString>

#include <array>

// The pictures are compiled into this static library. Nothing else refers to
// them, so the linker would leave them out of the program unless this file
// registers them itself (Q_INIT_RESOURCE must be used outside any namespace).
static void registerIconResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(korvane_icon);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon applicationIcon()
{
    registerIconResource();
    static constexpr std::array sizes{16, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (const int size : sizes)
        icon.addFile(QStringLiteral(":/korvane/icon/%1.png").arg(size), QSize(size, size));
    return icon;
}
