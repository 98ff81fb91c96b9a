#pragma once

#include <Qt>

namespace korvanta {

// Mouse handlers receive the button and the shift state as the window's code numbers them:
// buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt, added.
inline int vbButton(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

inline int vbShift(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace korvanta
