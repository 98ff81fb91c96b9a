#include "settings/settings.h"

#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace korvanta {

namespace {

    // The settings file is always in the Microsoft variant of Shift_JIS.
    constexpr const char* FileCodePage = "windows-31j";

    QString fromFileText(QByteArrayView bytes)
    {
        QStringDecoder decoder(FileCodePage, QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            return {};
        return decoder.decode(bytes);
    }

    // `text` in the file's code page, or nullopt when it does not come back unchanged: characters
    // the code page lacks would otherwise turn into "?" or into a similar-looking character.
    std::optional<QByteArray> toFileText(const QString& text)
    {
        QStringEncoder encoder(FileCodePage, QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            return std::nullopt;
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError() || fromFileText(bytes) != text)
            return std::nullopt;
        return bytes;
    }

} // namespace

QString withTrailingSlash(const QString& folder)
{
    QString path = QDir::isAbsolutePath(folder) ? folder : QDir::current().absoluteFilePath(folder);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (!path.endsWith(QLatin1Char('/')))
        path.append(QLatin1Char('/'));
    return path;
}

Settings::Settings(const QString& appFolder)
    : m_appFolder(withTrailingSlash(appFolder))
{
}

QString Settings::filePath() const
{
    return m_appFolder + QLatin1String(FileName);
}

bool Settings::exists() const
{
    // Anything but a folder counts: a FIFO or a device at the path is a settings file that
    // cannot be read, not a missing one whose first start would try to write defaults over it.
    const QFileInfo info(filePath());
    return info.exists() && !info.isDir();
}

bool Settings::remove() const
{
    const QString path = filePath();
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return true; // nothing to delete
    return QFile::remove(path);
}

bool Settings::canStore(const QString& text)
{
    const auto bytes = toFileText(text);
    return bytes && ini::readsBackUnchanged(*bytes);
}

QString Settings::ReadSetting(const QString& section, const QString& key) const
{
    const auto sectionBytes = toFileText(section);
    const auto keyBytes = toFileText(key);
    if (!sectionBytes || !keyBytes)
        return {}; // a name the file cannot hold is not in it
    const auto content = ini::readFile(filePath());
    if (!content)
        return {};
    return fromFileText(ini::readValue(*content, *sectionBytes, *keyBytes));
}

bool Settings::WriteSetting(const QString& section, const QString& key, const QString& value) const
{
    const auto sectionBytes = toFileText(section);
    const auto keyBytes = toFileText(key);
    const auto valueBytes = toFileText(value);
    if (!sectionBytes || !keyBytes || !valueBytes)
        return false;
    const QString path = filePath();
    // A file that exists but cannot be read is left alone: writing our one value in its place
    // would lose everything else it holds.
    const auto content = ini::readFile(path);
    if (!content)
        return false;
    const auto updated = ini::writeValue(*content, *sectionBytes, *keyBytes, *valueBytes);
    if (!updated)
        return false;
    if (*updated == *content && QFileInfo(path).isFile())
        return true; // the value is stored already
    return ini::writeFileAtomically(path, *updated);
}

} // namespace korvanta
