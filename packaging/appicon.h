#pragma once

// The application's icon, built into the program from the same pictures that
// the desktop entry uses.

#include <QIcon>

// The icon at every size from 16 to 256 pixels; set it on the application
// with QApplication::setWindowIcon(applicationIcon()).
QIcon applicationIcon();
