#pragma once

#include <QByteArray>

namespace korvanta {

// The desktop's activation token this process was started with: XDG_ACTIVATION_TOKEN on Wayland,
// DESKTOP_STARTUP_ID on X11; "" when there is none.
QByteArray startupActivationToken();

// A token handed over by a second copy, to be used when this copy's window next asks to be
// activated. On native Wayland, Qt activates a window with the token in XDG_ACTIVATION_TOKEN (and
// uses it up); an X11 window manager decides by the request itself.
void takeActivationToken(const QByteArray& token);

} // namespace korvanta
