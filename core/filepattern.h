#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

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

// The regular files of one folder, read once and then narrowed by patterns as often as needed:
// a search key typed over the file list filters the names in memory, and the folder is read
// again only when it has changed since. Each name is folded once per kind of match, when first
// needed.
class FolderFiles
{
public:
    // Lists `folder` (as listMatchingFiles does, every name); a missing or unreadable folder
    // lists nothing.
    void read(const QString& folder);
    // Reads `folder` unless it is the folder read last and is known to be unchanged since: its
    // modification time is the one it had then. Returns whether it read.
    bool readIfChanged(const QString& folder);
    void clear();

    // All the names, sorted with sortNamesIgnoringCase.
    const QStringList& names() const { return m_names; }
    // The names that match `pattern` (matchesFilePattern), in the same order.
    QStringList matching(const QString& pattern, bool forgiving = false) const;

private:
    QStringList m_names;
    mutable std::vector<QList<uint>> m_folded[2]; // [forgiving], made when first needed
    QString m_folder; // the folder read last
    qint64 m_folderTime = 0; // its modification time before that read, ms since the epoch
    // Whether an unchanged modification time means unchanged names (see read()).
    bool m_timeTells = false;
};

// Sorts names by their text ignoring case; names equal but for case keep a fixed, case-sensitive
// order so that a listing never depends on the order the file system returned.
void sortNamesIgnoringCase(QStringList& names);

} // namespace korvanta
