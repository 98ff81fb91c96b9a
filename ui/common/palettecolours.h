#pragma once

#include "core/textcolours.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace korvanta {

inline Rgb toRgb(const QColor& colour)
{
    return { colour.red(), colour.green(), colour.blue() };
}

inline QColor toQColor(Rgb colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

// A window's ground and the colour of text on it.
inline Rgb groundOf(const QPalette& palette)
{
    return toRgb(palette.color(QPalette::Window));
}

inline Rgb textOf(const QPalette& palette)
{
    return toRgb(palette.color(QPalette::WindowText));
}

// Sets the colour `w` draws its text with.
inline void setTextColour(QWidget* w, Rgb colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toQColor(colour));
    w->setPalette(p);
}

} // namespace korvanta
