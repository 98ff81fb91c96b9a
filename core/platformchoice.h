#pragma once

#include <QByteArray>
#include <QStringList>

namespace korvanta {

// What decides the Qt platform plugin at start-up.
struct PlatformChoiceInput
{
    QStringList arguments; // the command line, the program's name first
    QByteArray qtQpaPlatform; // $QT_QPA_PLATFORM
    QByteArray sessionType; // $XDG_SESSION_TYPE
    QByteArray waylandDisplay; // $WAYLAND_DISPLAY
    QByteArray display; // $DISPLAY
};

// The platform to ask Qt for, or "" for Qt's own choice. In a Wayland session where XWayland is
// there (DISPLAY is set) that is X11, with native Wayland as the fallback, because always on top,
// the stored window position and coming forward need X11. The user's choice (QT_QPA_PLATFORM,
// -platform) always stands.
QByteArray preferredQtPlatform(const PlatformChoiceInput& in);

// Whether the command line chooses a platform itself (-platform NAME, --platform NAME,
// -platform=NAME).
bool commandLineChoosesPlatform(const QStringList& arguments);

} // namespace korvanta
