#pragma once

#include "core/toolbuttons.h"

#include <QPixmap>

namespace korvanta {

// The tool-button pictures, ButtonImage 0 to 27: four per button (normal, hover, pressed,
// disabled), button i from element 4i. The main window's tool bar shows them and the manual's
// legend repeats them.
QPixmap buttonImage(int element);
inline QPixmap buttonImage(ToolButtonId button, ButtonFace face)
{
    return buttonImage(buttonImageElement(button, face));
}

} // namespace korvanta
