#include "core/filenames.h"

#include "core/textdecoding.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta {

namespace {

    bool exists(const QByteArray& path)
    {
        struct stat st;
        return ::lstat(path.constData(), &st) == 0;
    }

    QByteArray childOf(const QByteArray& folder, const QByteArray& name)
    {
        return (folder == "/" ? QByteArray() : folder) + '/' + name;
    }

    QString escapedName(const QByteArray& bytes)
    {
        QString name;
        for (const char c : bytes) {
            const uchar b = uchar(c);
            if (b >= 0x80 || b == '\\')
                name += QString::asprintf("\\x%02X", uint(b));
            else
                name += QLatin1Char(c);
        }
        return name;
    }

    // The code page 932 text of `bytes` when every byte decodes and the text encodes back to the
    // same bytes (the code page has a few characters twice; only their usual bytes show as text).
    QString cp932Name(const QByteArray& bytes)
    {
        const QString text = decodeCp932(bytes);
        if (text.contains(QChar::ReplacementCharacter))
            return QString();
        QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            return QString();
        const QByteArray back = encoder.encode(text);
        return !encoder.hasError() && back == bytes ? text : QString();
    }

    // `path` absolute (against the working folder) and cleaned: "." and ".." taken out.
    QList<QByteArray> cleanComponents(const QByteArray& path)
    {
        QByteArray absolute = path;
        if (!absolute.startsWith('/')) {
            char buffer[PATH_MAX];
            if (::getcwd(buffer, sizeof buffer))
                absolute = QByteArray(buffer) + '/' + absolute;
        }
        QList<QByteArray> parts;
        for (const QByteArray& part : absolute.split('/')) {
            if (part.isEmpty() || part == ".")
                continue;
            if (part == "..") {
                if (!parts.isEmpty())
                    parts.removeLast();
                continue;
            }
            parts.append(part);
        }
        return parts;
    }

    // Calls `each` with the bytes of every entry of `folder` but "." and ".."; stops when it
    // returns true.
    template <typename Each> void forEachEntry(const QByteArray& folder, Each each)
    {
        DIR* dir = ::opendir(folder.constData());
        if (!dir)
            return;
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (each(QByteArray(name)))
                break;
        }
        ::closedir(dir);
    }

    QDateTime timeOf(const timespec& t)
    {
        return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000);
    }

} // namespace

QString shownName(const QByteArray& bytes, const QByteArray& folderBytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    if (utf8.toUtf8() == bytes)
        return utf8;
    const QString text = cp932Name(bytes);
    // A name in UTF-8 of the same text keeps that text; this one shows its bytes.
    if (!text.isEmpty() && !exists(childOf(folderBytes, text.toUtf8())))
        return text;
    return escapedName(bytes);
}

QList<FolderItem> folderItems(const QString& folder, bool withKind)
{
    QList<FolderItem> items;
    if (folder.isEmpty())
        return items;
    const QByteArray native = nativePath(folder);
    forEachEntry(native, [&](const QByteArray& bytes) {
        FolderItem item;
        item.bytes = bytes;
        item.name = shownName(bytes, native);
        if (withKind) {
            struct stat st;
            if (::stat(childOf(native, bytes).constData(), &st) == 0) {
                item.isDir = S_ISDIR(st.st_mode);
                item.isFile = S_ISREG(st.st_mode);
            }
        }
        items.append(std::move(item));
        return false;
    });
    return items;
}

QByteArray nativePath(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    if (path.isEmpty() || exists(utf8))
        return utf8;
    QByteArray native = "/";
    const QList<QByteArray> parts = cleanComponents(utf8);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray inUtf8 = childOf(native, parts[i]);
        if (exists(inUtf8)) {
            native = inUtf8;
            continue;
        }
        const QString wanted = QString::fromUtf8(parts[i]);
        QByteArray found;
        forEachEntry(native, [&](const QByteArray& bytes) {
            if (shownName(bytes, native) != wanted)
                return false;
            found = bytes;
            return true;
        });
        if (found.isEmpty()) {
            // Nothing of that name: the rest stays as given.
            for (qsizetype j = i; j < parts.size(); ++j)
                native = childOf(native, parts[j]);
            return native;
        }
        native = childOf(native, found);
    }
    return native;
}

QString shownPath(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    QString shown;
    QByteArray native = "/";
    for (const QByteArray& part : cleanComponents(bytes)) {
        shown += QLatin1Char('/') + shownName(part, native);
        native = childOf(native, part);
    }
    return shown.isEmpty() ? QStringLiteral("/") : shown;
}

QString shownLocalFile(const QUrl& url)
{
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    const QByteArray bytes
        = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    // In UTF-8 the path is as Qt gives it; other bytes are shown as the file list shows them.
    return QString::fromUtf8(bytes).toUtf8() == bytes ? path : shownPath(bytes);
}

PathStatus pathStatus(const QString& path)
{
    PathStatus status;
    if (path.isEmpty())
        return status;
    const QByteArray native = nativePath(path);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return status;
    status.exists = true;
    status.isDir = S_ISDIR(st.st_mode);
    status.isFile = S_ISREG(st.st_mode);
    status.readable = ::access(native.constData(), R_OK) == 0;
    status.executable = ::access(native.constData(), X_OK) == 0;
    status.size = st.st_size;
    status.modified = timeOf(st.st_mtim);
    status.changed = timeOf(st.st_ctim);
    return status;
}

QString openForReading(QFile& file, const QString& path, bool unbuffered)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    QIODevice::OpenMode mode = QIODevice::ReadOnly;
    if (unbuffered)
        mode |= QIODevice::Unbuffered;
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return QString();
}

} // namespace korvanta
