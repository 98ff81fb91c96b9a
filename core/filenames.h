#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QUrl;

class QFile;

namespace korvanta {

// File and folder names as the file system holds them (bytes) and as the program shows and keeps
// them (text). A name in valid UTF-8 is shown as that text, exactly as Qt decodes it. A name that
// is not (unpacked from a Windows archive, copied from a Windows share) is shown decoded as code
// page 932 when every byte decodes; otherwise, or when that text is already the name of another
// entry of the same folder, its bytes from 0x80 up and the backslash are shown as "\xHH" (two
// upper-case hex digits) and all other bytes as themselves. So the names of one folder never
// show alike, and every path the program shows leads back to the bytes it came from.

// One entry of a folder: its bytes, its shown name, and what it is (links followed).
struct FolderItem
{
    QByteArray bytes;
    QString name;
    bool isDir = false;
    bool isFile = false; // a regular file
};

// The entries of the folder at the shown path `folder`, "." and ".." left out, in the order the
// file system gives them. `withKind` fills isDir and isFile (one stat each). A missing or
// unreadable folder gives none.
QList<FolderItem> folderItems(const QString& folder, bool withKind = true);

// The shown name of the entry `bytes` of the folder whose own bytes are `folderBytes`.
QString shownName(const QByteArray& bytes, const QByteArray& folderBytes);

// The bytes the file system knows the shown path `path` by. Components that exist in UTF-8 are
// taken so; the others are looked up by their shown name in their folder. A path that leads to
// nothing comes back in UTF-8 from its first missing component on. A relative path is taken from
// the working folder.
QByteArray nativePath(const QString& path);

// The shown path of an absolute or relative path given in bytes (a command-line argument, a path
// handed over by another copy): absolute, cleaned, each component shown as in its folder.
QString shownPath(const QByteArray& bytes);

// The shown path of a local file: URL (a drop, a command-line argument). Its percent-encoded
// bytes are the file system's and need not be UTF-8. "" for a URL that is no local file.
QString shownLocalFile(const QUrl& url);

// What the file system says of a shown path, links followed.
struct PathStatus
{
    bool exists = false;
    bool isDir = false;
    bool isFile = false; // a regular file
    bool readable = false; // can be read (a folder: listed)
    bool executable = false; // can be executed (a folder: entered)
    qint64 size = 0;
    QDateTime modified;
    QDateTime changed; // the time its status last changed
};
PathStatus pathStatus(const QString& path);

// Opens the file at the shown path `path` for reading by its real bytes: `file` reads it and
// closes it when closed. Returns "" on success, else the system's reason.
QString openForReading(QFile& file, const QString& path, bool unbuffered = true);

} // namespace korvanta
