#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace korvanta {

// X11 launch notification (freedesktop startup notification): a launcher starts a program with a
// startup id in DESKTOP_STARTUP_ID and announces the launch; the program's window that answers it
// is activated with the time of the user's action the id carries, and the launch is then ended
// with a "remove" message.

// The X server time that a startup id carries after its last "_TIME" ("host-12-34_TIME5678" →
// 5678); 0 when it carries none (no "_TIME", no digits, a value past 32 bits, or 0 itself).
quint32 startupIdTime(QByteArrayView id);

// The message that ends the launch of `id`: "remove: ID=" and the id, quoted with backslash
// escapes when it holds a blank, a quote or a backslash.
QByteArray startupRemoveMessage(QByteArrayView id);

} // namespace korvanta
