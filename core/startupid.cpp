#include "core/startupid.h"

namespace korvanta {

quint32 startupIdTime(QByteArrayView id)
{
    static constexpr QByteArrayView Marker = "_TIME";
    const qsizetype at = id.lastIndexOf(Marker);
    if (at < 0)
        return 0;
    const QByteArrayView digits = id.sliced(at + Marker.size());
    if (digits.isEmpty() || digits.size() > 10)
        return 0;
    quint64 time = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        time = time * 10 + quint64(c - '0');
    }
    return time <= 0xffffffffu ? quint32(time) : 0;
}

QByteArray startupRemoveMessage(QByteArrayView id)
{
    QByteArray message = "remove: ID=";
    const bool quote = id.contains(' ') || id.contains('"') || id.contains('\\');
    if (!quote)
        return message + id.toByteArray();
    message += '"';
    for (const char c : id) {
        if (c == '"' || c == '\\')
            message += '\\';
        message += c;
    }
    return message + '"';
}

} // namespace korvanta
