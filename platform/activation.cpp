#include "platform/activation.h"

#include "core/startupid.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <utility>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace korvanta {

namespace {

    struct StartupTokens
    {
        bool kept = false;
        QByteArray wayland; // XDG_ACTIVATION_TOKEN
        QByteArray x11; // DESKTOP_STARTUP_ID
    };

    StartupTokens& startupTokens()
    {
        static StartupTokens tokens;
        return tokens;
    }

    // The startup id a second copy handed over, until a window is activated with it (X11 only).
    QByteArray& pendingStartupId()
    {
        static QByteArray id;
        return id;
    }

    bool onWayland()
    {
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    }

    bool onX11()
    {
        return QGuiApplication::platformName() == QLatin1String("xcb");
    }

#if QT_CONFIG(xcb)

    xcb_atom_t internAtom(xcb_connection_t* c, const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    // The root window of the screen `window` is on; XCB_WINDOW_NONE when the server does not know
    // it.
    xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window)
    {
        xcb_get_geometry_reply_t* geometry
            = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
        const xcb_window_t root = geometry ? geometry->root : xcb_window_t(XCB_WINDOW_NONE);
        std::free(geometry);
        return root;
    }

    // The _NET_ACTIVE_WINDOW request of an application for `window`, stamped with `time`, naming
    // the program's window that is active now (if any) as the EWMH asks.
    void requestActivation(
        xcb_connection_t* c, xcb_window_t root, xcb_window_t window, quint32 time)
    {
        xcb_client_message_event_t event = {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = internAtom(c, "_NET_ACTIVE_WINDOW");
        event.data.data32[0] = 1; // from an application
        event.data.data32[1] = time;
        const QWindow* active = QGuiApplication::focusWindow();
        event.data.data32[2]
            = active ? xcb_window_t(active->winId()) : xcb_window_t(XCB_WINDOW_NONE);
        xcb_send_event(c, 0, root,
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char*>(&event));
    }

    // A startup notification message: client messages of 20 bytes to the root window, the first
    // typed _NET_STARTUP_INFO_BEGIN and the rest _NET_STARTUP_INFO, the text ending with its NUL.
    // They name `sender`, a window of this program, so that a receiver puts the pieces together.
    void sendStartupMessage(
        xcb_connection_t* c, xcb_window_t root, xcb_window_t sender, const QByteArray& message)
    {
        const xcb_atom_t begin = internAtom(c, "_NET_STARTUP_INFO_BEGIN");
        const xcb_atom_t more = internAtom(c, "_NET_STARTUP_INFO");
        const qsizetype length = message.size() + 1; // with the NUL byte
        for (qsizetype sent = 0; sent < length; sent += 20) {
            xcb_client_message_event_t event = {};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 8;
            event.window = sender;
            event.type = sent == 0 ? begin : more;
            std::memcpy(event.data.data8, message.constData() + sent,
                size_t(qMin<qsizetype>(20, length - sent)));
            xcb_send_event(
                c, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
        }
    }

    // Activates `window` for the launch `startupId` stands for and ends that launch. False when
    // there is no X11 connection to do it with.
    bool activateForLaunch(QWidget* window, const QByteArray& startupId)
    {
        auto* x11
            = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c)
            return false;
        const auto id = xcb_window_t(window->winId());
        const xcb_window_t root = rootOf(c, id);
        if (root == XCB_WINDOW_NONE)
            return false;
        // An id without a time stands for no moment of the user's: the request is Qt's own.
        if (const quint32 time = startupIdTime(startupId))
            requestActivation(c, root, id, time);
        else
            window->activateWindow();
        sendStartupMessage(c, root, id, startupRemoveMessage(startupId));
        xcb_flush(c);
        return true;
    }

#endif

} // namespace

void keepStartupActivationTokens()
{
    StartupTokens& tokens = startupTokens();
    tokens.kept = true;
    tokens.wayland = qgetenv("XDG_ACTIVATION_TOKEN");
    tokens.x11 = qgetenv("DESKTOP_STARTUP_ID");
}

QByteArray startupActivationToken()
{
    StartupTokens tokens = startupTokens();
    if (!tokens.kept) {
        tokens.wayland = qgetenv("XDG_ACTIVATION_TOKEN");
        tokens.x11 = qgetenv("DESKTOP_STARTUP_ID");
    }
    if (onWayland() && !tokens.wayland.isEmpty())
        return tokens.wayland;
    if (onX11() && !tokens.x11.isEmpty())
        return tokens.x11;
    return tokens.wayland.isEmpty() ? tokens.x11 : tokens.wayland;
}

void takeActivationToken(const QByteArray& token)
{
    if (token.isEmpty())
        return;
    if (onWayland())
        qputenv("XDG_ACTIVATION_TOKEN", token);
    else if (onX11())
        pendingStartupId() = token;
}

void activateWithToken(QWidget* window)
{
    const QByteArray startupId = std::exchange(pendingStartupId(), QByteArray());
#if QT_CONFIG(xcb)
    if (!startupId.isEmpty() && onX11() && activateForLaunch(window, startupId))
        return;
#endif
    window->activateWindow();
}

} // namespace korvanta
