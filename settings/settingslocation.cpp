#include "settings/settingslocation.h"

#include "settings/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace korvanta {

QString SettingsLocation::settingsFilePath() const
{
    return settingsFolder + QLatin1String(Settings::FileName);
}

SettingsLocation portableSettingsLocation(const QString& folder)
{
    SettingsLocation out;
    out.appFolder = out.settingsFolder = withTrailingSlash(folder);
    out.triedFolders = { out.settingsFolder };
    return out;
}

SettingsLocation decideSettingsLocation(const SettingsLocationInput& in)
{
    SettingsLocation out;
    if (in.installedMarkerFound) {
        out.kind = SettingsLocation::Kind::Installed;
        out.appFolder = in.installedDataFolder + QLatin1String(InstalledExamplesName) + u'/';
        out.settingsFolder = in.configFolder;
        out.canSave = in.configFolderWritable;
        out.triedFolders = { in.configFolder };
        return out;
    }
    out.appFolder = in.executableFolder;
    if (in.executableFolderWritable) {
        out.kind = SettingsLocation::Kind::Portable;
        out.settingsFolder = in.executableFolder;
        out.triedFolders = { in.executableFolder };
        return out;
    }
    out.triedFolders = { in.executableFolder, in.configFolder };
    if (in.configFolderWritable) {
        out.kind = SettingsLocation::Kind::PortableFallback;
        out.settingsFolder = in.configFolder;
        // A folder handed out read-only with its settings file starts with those settings.
        out.seedFolder = in.executableFolder;
        return out;
    }
    // Nothing can be written: the settings file beside the executable is still read, so a
    // read-only folder handed out with its settings file keeps working as it was made.
    out.kind = SettingsLocation::Kind::Portable;
    out.settingsFolder = in.executableFolder;
    out.canSave = false;
    return out;
}

bool folderCanBeWritten(const QString& folder)
{
    QFileInfo info(folder);
    if (info.exists())
        return info.isDir() && info.isWritable() && info.isExecutable();
    // The nearest folder that exists decides whether the missing ones can be made.
    QString path = QDir::cleanPath(info.absoluteFilePath());
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return false;
        path = parent;
    }
    const QFileInfo existing(path);
    return existing.isDir() && existing.isWritable() && existing.isExecutable();
}

SettingsLocation locateSettings(
    const QString& executableFolder, const QString& dataFolderFromExecutable)
{
    SettingsLocationInput in;
    in.executableFolder = withTrailingSlash(executableFolder);
    in.installedDataFolder
        = withTrailingSlash(QDir::cleanPath(in.executableFolder + dataFolderFromExecutable));
    in.installedMarkerFound
        = QFileInfo(in.installedDataFolder + QLatin1String(InstalledMarkerName)).isFile();
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    in.configFolder
        = withTrailingSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/korvanta"));
    in.executableFolderWritable
        = !in.installedMarkerFound && folderCanBeWritten(in.executableFolder);
    in.configFolderWritable = folderCanBeWritten(in.configFolder);

    SettingsLocation location = decideSettingsLocation(in);
    if (location.canSave && location.settingsFolder == in.configFolder
        && !QDir().mkpath(in.configFolder))
        location.canSave = false;
    return location;
}

QString settingsNotSavedText(const QStringList& triedFolders)
{
    QString text = QStringLiteral("設定を保存出来ませんでした。") + u'\n'
        + QStringLiteral("次のﾌｫﾙﾀﾞｰに、設定ﾌｧｲﾙ ") + QLatin1String(Settings::FileName)
        + QStringLiteral(" を書き込めません。") + u'\n';
    for (const QString& folder : triedFolders)
        text += QStringLiteral("　") + folder + u'\n';
    text += QStringLiteral(
        "ｵﾌﾟｼｮﾝ・ｳｲﾝﾄﾞｳの位置・ﾌｫﾙﾀﾞｰなどは、次回の起動時には記憶されていません。");
    return text;
}

} // namespace korvanta
