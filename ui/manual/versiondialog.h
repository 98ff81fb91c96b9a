#pragma once

#include <QIcon>

class QWidget;

namespace korvanta {

class Platform;

// The program's icon in every size the resources hold.
QIcon programIcon();

// The version information: the desktop's About box titled with the program's name, showing the
// version line with the legal notice and the program's comment, and `mainWindow`'s icon (the
// program's icon when the window has none). Returns when the box is closed.
void showVersionDialog(Platform& platform, QWidget* mainWindow);

} // namespace korvanta
