#include "core/platformchoice.h"

namespace korvanta {

bool commandLineChoosesPlatform(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("--"))
            break; // what follows are file names
        if (a == QLatin1String("-platform") || a == QLatin1String("--platform")
            || a.startsWith(QLatin1String("-platform="))
            || a.startsWith(QLatin1String("--platform=")))
            return true;
    }
    return false;
}

QByteArray preferredQtPlatform(const PlatformChoiceInput& in)
{
    if (!in.qtQpaPlatform.trimmed().isEmpty() || commandLineChoosesPlatform(in.arguments))
        return {};
    const bool waylandSession
        = in.sessionType.trimmed().toLower() == "wayland" || !in.waylandDisplay.isEmpty();
    if (waylandSession && !in.display.isEmpty())
        return QByteArrayLiteral("xcb;wayland");
    return {};
}

} // namespace korvanta
