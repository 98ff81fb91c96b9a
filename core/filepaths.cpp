#include "core/filepaths.h"

namespace korvanta {

QString currentFolderOf(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString shortFilePath(const QString& folder, const QString& fileName)
{
    if (fileName.isEmpty())
        return QString();
    if (folder.size() <= 5)
        return currentFolderOf(folder) + fileName;
    // Three characters, never half of a surrogate pair.
    qsizetype head = 3;
    if (folder.at(head - 1).isHighSurrogate())
        ++head;
    return folder.left(head) + QStringLiteral("…/") + fileName;
}

} // namespace korvanta
