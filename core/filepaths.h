#pragma once

#include <QString>

namespace korvanta {

// `folder` with exactly one trailing "/" (the root "/" stays as it is).
QString currentFolderOf(const QString& folder);

// The selected file's path as the status label shows it: the folder in full when it has at most
// two characters below the root "/" ("/", "/ab"), otherwise the root and "…/" before the file
// name ("/…/staff.csv"); "" without a file.
QString shortFilePath(const QString& folder, const QString& fileName);

} // namespace korvanta
