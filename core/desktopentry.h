#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvanta {

// A program and its arguments, ready for QProcess::startDetached: no shell takes part.
struct LaunchCommand
{
    QString program;
    QStringList arguments;
};

// Turns the Exec value of a freedesktop desktop entry, as it stands in the file after "Exec=",
// into a command that opens `filePath`.
//
// The value's string escapes (\s \n \t \r \\) are resolved first, then the quoting rules: blanks
// separate arguments, a double-quoted argument may hold blanks and the escapes \" \` \$ \\, and
// outside quotes a backslash takes the next character literally. The field codes %f %F %u %U
// become `filePath` as it is (always one argument, whatever it contains), %% becomes %, and every
// other field code (%i %c %k and the deprecated ones) is dropped; an argument made only of dropped
// codes disappears. A line without a file field code gets `filePath` appended as the last
// argument, as the desktop launchers do.
//
// Returns nullopt for a line this code will not run without a shell: an unclosed quote, a lone %
// at the end, a field code other than %% inside quotes, a file field code in an argument that
// also holds a quoted or backslash-escaped part (sh -c editor\ %f, sh -c "editor "%f), a shell
// given the file as its command string or script (sh -c %f, bash %f), shell syntax outside
// quotes (' ` $ ; | & < > ( )), or no program at all.
std::optional<LaunchCommand> commandFromExecLine(const QString& exec, const QString& filePath);

// The raw value of `key` in the [Desktop Entry] group of a desktop entry file (UTF-8), with the
// blanks around "=" and at the line's end removed; nullopt when the group or key is missing.
// Localized variants ("Name[ja]") are different keys.
std::optional<QString> desktopEntryValue(const QByteArray& contents, const QString& key);

// The files a desktop file ID ("org.example.Editor.desktop") may live in, most important first:
// for every data folder (as in XDG_DATA_HOME and XDG_DATA_DIRS) its "applications/" sub-folder,
// with the ID as it is and then with its leading "-"-separated parts taken as sub-folders
// ("kde-kwrite.desktop" also as "kde/kwrite.desktop"). Empty for an ID that is not a plain
// ".desktop" file name.
QStringList desktopFileCandidates(const QString& desktopId, const QStringList& dataDirs);

} // namespace korvanta
