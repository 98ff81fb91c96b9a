#pragma once

#include <QPixmap>

namespace korvanta {

// The tool-button pictures, ButtonImage 0 to 27: four per button (normal, hover, pressed,
// disabled), button i from element 4i. The main window's tool bar shows them and the manual's
// legend repeats them.
QPixmap buttonImage(int element);

} // namespace korvanta
