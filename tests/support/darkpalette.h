#pragma once

#include <QApplication>
#include <QPalette>

namespace korvanta {

// A dark palette as qt6ct's darker scheme makes it: white text on (34, 32, 32).
inline QPalette darkPalette()
{
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(34, 32, 32));
    dark.setColor(QPalette::WindowText, QColor(255, 255, 255));
    dark.setColor(QPalette::Base, QColor(61, 61, 61));
    dark.setColor(QPalette::Text, QColor(255, 255, 255));
    return dark;
}

// The application's palette made dark for as long as the object lives; the palette before comes
// back afterwards. Windows made meanwhile start with it. (Windows that exist already hear of it
// only while the event loop runs, which a test's does not: give them the palette directly.)
class DarkPalette
{
public:
    DarkPalette() { QApplication::setPalette(darkPalette()); }
    ~DarkPalette() { QApplication::setPalette(m_saved); }
    DarkPalette(const DarkPalette&) = delete;
    DarkPalette& operator=(const DarkPalette&) = delete;

private:
    QPalette m_saved = QApplication::palette();
};

} // namespace korvanta
