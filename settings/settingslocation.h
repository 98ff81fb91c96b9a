#pragma once

#include <QString>
#include <QStringList>

namespace korvanta {

// Where the program keeps its settings file and what its default folder is, decided once at
// start-up.
//
// A portable program folder (the build folder, a folder copied as a whole) keeps Korvanta.ini
// beside the executable and is its own default folder. An installed copy (a package, or
// `cmake --install` into any prefix) is told by its marker file, installed in the program's data
// folder beside the example files; it keeps the settings file in the user's configuration folder
// and never writes into its program folder, and its default folder is the folder of the example
// files. A portable folder that cannot be written falls back to the configuration folder too;
// a settings file prepared beside its executable is read until the program writes its own.

// The marker file of an installed copy, in its data folder.
inline constexpr const char* InstalledMarkerName = "installed-copy";
// The folder of the example files, inside the data folder of an installed copy.
inline constexpr const char* InstalledExamplesName = "examples";

// What the decision is made from; every path is a folder path with one trailing "/".
struct SettingsLocationInput
{
    QString executableFolder;
    // The data folder of an installed copy (the marker's folder), and whether the marker is
    // there. A folder without the marker is a portable program folder.
    QString installedDataFolder;
    bool installedMarkerFound = false;
    // The user's configuration folder for the program: $XDG_CONFIG_HOME/korvanta/.
    QString configFolder;
    // Whether a settings file could be written in each folder (the folder exists and is
    // writable, or it can be created).
    bool executableFolderWritable = false;
    bool configFolderWritable = false;
};

struct SettingsLocation
{
    enum class Kind {
        Portable, // Korvanta.ini beside the executable
        PortableFallback, // a portable folder that cannot be written: the configuration folder
        Installed, // an installed copy: the configuration folder
    };
    Kind kind = Kind::Portable;
    // AppFolder: the default folder of the file list (first start, "back to the default folder").
    QString appFolder;
    // The folder that holds Korvanta.ini; the single-instance lock is named after it too.
    QString settingsFolder;
    // The folder of a prepared Korvanta.ini that is read while settingsFolder has none: the
    // program folder of a portable copy that cannot be written. "" for none.
    QString seedFolder;
    // False when no folder the program tried can be written: it runs, but nothing is saved.
    bool canSave = true;
    // The folders tried for the settings file, in order (for the message when nothing is saved).
    QStringList triedFolders;

    QString settingsFilePath() const;
};

// A portable program folder `folder` that can be written (the tests' and the plain case).
SettingsLocation portableSettingsLocation(const QString& folder);

// The decision itself: a pure function of its input.
SettingsLocation decideSettingsLocation(const SettingsLocationInput& in);

// Gathers the input for the executable in `executableFolder` (the data folder of an installed
// copy is `dataFolderFromExecutable`, relative to it, such as "../share/korvanta") from the file
// system and the environment, decides, and creates the configuration folder when it is chosen.
SettingsLocation locateSettings(
    const QString& executableFolder, const QString& dataFolderFromExecutable);

// Whether a settings file could be written in `folder`: it is a writable folder, or it does not
// exist and its nearest existing parent folder is writable.
bool folderCanBeWritten(const QString& folder);

// The message shown at closing when the settings could not be saved: the folders tried, in order.
QString settingsNotSavedText(const QStringList& triedFolders);

} // namespace korvanta
