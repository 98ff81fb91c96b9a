#include "core/filepaths.h"

#include <algorithm>

namespace korvanta {

QString currentFolderOf(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString shortFilePath(const QString& folder, const QString& fileName)
{
    if (fileName.isEmpty())
        return QString();
    // The root is kept and what lies below it is cut to "…", unless that is no more than two
    // characters (counted as characters, not UTF-16 code units).
    const QStringView below = QStringView(folder).sliced(folder.startsWith(u'/') ? 1 : 0);
    const auto characters = below.size()
        - std::count_if(below.begin(), below.end(), [](QChar c) { return c.isLowSurrogate(); });
    if (characters <= 2)
        return currentFolderOf(folder) + fileName;
    return QStringLiteral("/…/") + fileName;
}

} // namespace korvanta
