#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace korvanta {

// The file list's pattern as designed, and for an empty search key.
inline constexpr QStringView DefaultFilePattern = u"*.CSV;*.txt";

// The file list's pattern: wildcards separated by ";" ("*.CSV;*.txt"). In a wildcard "*" stands
// for any run of characters (also none) and "?" for exactly one character; every other character,
// "[", "]" and "{" included, stands for itself. Letters match regardless of case, as on the file
// systems the data files come from. Blanks around a wildcard are ignored and empty wildcards are
// skipped, so a pattern without any wildcard matches nothing. `forgiving` folds the name and the
// pattern with foldForSearch first, so width and katakana/hiragana differ no more than case.
bool matchesFilePattern(const QString& fileName, const QString& pattern, bool forgiving = false);

// The names (without folder) of the regular files in `folder`, symbolic links to regular files
// included, that match `pattern`; hidden files take part like any other. Sorted with
// sortNamesIgnoringCase. A missing or unreadable folder gives an empty list.
QStringList listMatchingFiles(
    const QString& folder, const QString& pattern, bool forgiving = false);

// Sorts names by their text ignoring case; names equal but for case keep a fixed, case-sensitive
// order so that a listing never depends on the order the file system returned.
void sortNamesIgnoringCase(QStringList& names);

} // namespace korvanta
