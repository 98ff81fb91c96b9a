#pragma once

#include <QList>
#include <QString>

namespace korvanta {

// One line of the folder list: an ancestor of the shown folder, the shown folder itself, or one of
// its sub-folders.
struct FolderEntry
{
    QString path; // absolute, without trailing "/" except the root "/"
    QString label; // the folder's own name; "/" for the root
    int depth = 0; // 0 for the root, one more for each level below it
    bool isCurrent = false; // the shown folder itself

    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// `folder` as an absolute, cleaned path without trailing "/" (the root stays "/"); a relative path
// is taken from the working folder. "" when it is empty or not an existing folder.
QString normalizedFolder(const QString& folder);

// Whether the folder's entries can be read (it exists, is readable and can be entered).
bool canListFolder(const QString& folder);

// What the folder list shows for `folder`: the chain from the root down to the folder itself,
// then the folder's sub-folders sorted by name ignoring case. Hidden sub-folders (names starting
// with ".") are left out; sub-folders that cannot be read are listed all the same. Empty when
// `folder` does not exist.
QList<FolderEntry> folderEntries(const QString& folder);

} // namespace korvanta
