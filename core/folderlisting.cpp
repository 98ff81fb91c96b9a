#include "core/folderlisting.h"

#include "core/filenames.h"
#include "core/filepattern.h"

#include <QDir>
#include <QFileInfo>

namespace korvanta {

namespace {

    const QString Root = QStringLiteral("/");

    QString childPath(const QString& folder, const QString& name)
    {
        return folder == Root ? Root + name : folder + u'/' + name;
    }

} // namespace

QString normalizedFolder(const QString& folder)
{
    if (folder.isEmpty())
        return QString();
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    // cleanPath keeps ".." that climb above the root ("/../tmp"); the root's parent is the root.
    while (path == QLatin1String("/..") || path.startsWith(QLatin1String("/../")))
        path.remove(0, 3);
    if (path.isEmpty())
        path = Root;
    if (!path.startsWith(Root) || !pathStatus(path).isDir)
        return QString();
    return path;
}

bool canListFolder(const QString& folder)
{
    const PathStatus status = pathStatus(folder);
    return status.isDir && status.readable && status.executable;
}

QList<FolderEntry> folderEntries(const QString& folder)
{
    QList<FolderEntry> entries;
    const QString path = normalizedFolder(folder);
    if (path.isEmpty())
        return entries;

    // The chain from the root down to the folder itself.
    entries.append({ Root, Root, 0, path == Root });
    QString ancestor = Root;
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        ancestor = childPath(ancestor, parts[i]);
        entries.append({ ancestor, parts[i], int(i) + 1, i == parts.size() - 1 });
    }

    // The sub-folders, one level deeper. Links to folders are folders here as in a file manager.
    // Names in any bytes are listed under their shown names (filenames.h).
    QStringList names;
    for (const FolderItem& item : folderItems(path)) {
        if (item.isDir && !item.name.startsWith(u'.'))
            names.append(item.name);
    }
    sortNamesIgnoringCase(names);
    const int childDepth = int(parts.size()) + 1;
    for (const QString& name : std::as_const(names))
        entries.append({ childPath(path, name), name, childDepth, false });
    return entries;
}

} // namespace korvanta
