#include "platform/activation.h"

#include <QGuiApplication>

namespace korvanta {

QByteArray startupActivationToken()
{
    const QByteArray wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    return wayland.isEmpty() ? qgetenv("DESKTOP_STARTUP_ID") : wayland;
}

void takeActivationToken(const QByteArray& token)
{
    if (token.isEmpty())
        return;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

} // namespace korvanta
