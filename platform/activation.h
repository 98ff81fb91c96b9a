#pragma once

#include <QByteArray>

class QWidget;

namespace korvanta {

// Reads the desktop's activation tokens this process was started with and keeps them for
// startupActivationToken(). Call it before the QApplication is made: Qt's X11 platform takes
// DESKTOP_STARTUP_ID out of the environment when it connects.
void keepStartupActivationTokens();

// The desktop's activation token this process was started with, for the window system it runs
// on: XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID (the launcher's startup id) on X11,
// whichever there is elsewhere; "" when there is none.
QByteArray startupActivationToken();

// A token handed over by a second copy, used when this copy's window is next activated with
// activateWithToken(). On native Wayland, Qt activates a window with the token in
// XDG_ACTIVATION_TOKEN (and uses it up); on X11 it is the launcher's startup id. A later token
// replaces one not yet used.
void takeActivationToken(const QByteArray& token);

// Asks for `window` (a shown top-level window) to become the active window. On X11 with a
// startup id taken, the request carries the time of the user's action that the id holds (a
// window manager that prevents focus stealing refuses a request older than the user's last
// input) and the launch notification of that id is then completed; the id is used up. Otherwise
// it is QWidget::activateWindow().
void activateWithToken(QWidget* window);

} // namespace korvanta
