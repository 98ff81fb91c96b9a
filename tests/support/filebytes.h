#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes `bytes` as the whole file at the path given in the file system's own bytes (a name
// that is not UTF-8, as Windows archives leave them); false when it could not.
inline bool putFileAt(const QByteArray& nativePath, const QByteArray& bytes = "x\r\n")
{
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// Makes the folder at the path given in the file system's own bytes; false when it could not.
inline bool makeFolderAt(const QByteArray& nativePath)
{
    return ::mkdir(nativePath.constData(), 0755) == 0;
}

// Removes the folder at `nativePath` with all it holds when it goes out of scope, whatever the
// bytes of the names (QTemporaryDir leaves names that are not UTF-8 behind).
struct RemoveTreeAtEnd
{
    QByteArray nativePath;
    ~RemoveTreeAtEnd()
    {
        std::error_code ignored;
        std::filesystem::remove_all(nativePath.toStdString(), ignored);
    }
};

} // namespace korvanta
