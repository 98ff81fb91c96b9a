#pragma once

#include <QString>

namespace korvanta {

// `folder` with exactly one trailing "/" (the root "/" stays as it is).
QString currentFolderOf(const QString& folder);

// The selected file's path as the status label shows it: the folder in full when it has at most
// 5 characters, otherwise its first 3 characters and "…/" before the file name; "" without a file.
QString shortFilePath(const QString& folder, const QString& fileName);

} // namespace korvanta
