#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace korvanta {

// The bytes of a file as they are on disk; "<unreadable>" when it cannot be read, so that a
// comparison with expected bytes fails visibly.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

// Writes `bytes` as the whole file; false when it could not.
inline bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace korvanta
