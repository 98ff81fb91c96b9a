#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace korvanta {

// A fresh, empty program folder for one test, removed with the object. path() is the AppFolder
// form: absolute, symbolic links resolved, exactly one trailing "/". QtCore only, so unit tests
// can use it too.
class TempAppFolder
{
public:
    static constexpr const char* IniName = "Korvanta.ini";

    TempAppFolder() { reset(); }

    // Throws the folder away and starts with a new, empty one.
    void reset()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path.clear();
        if (!m_dir->isValid())
            return;
        const QString canonical = QFileInfo(m_dir->path()).canonicalFilePath();
        m_path = (canonical.isEmpty() ? m_dir->path() : canonical) + QLatin1Char('/');
    }

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString filePath(const QString& name) const { return m_path + name; }

    // --- the settings file, byte for byte
    QString iniPath() const { return filePath(QLatin1String(IniName)); }
    bool iniExists() const { return QFileInfo::exists(iniPath()); }
    bool writeIni(const QByteArray& bytes) const
    {
        return writeFile(QLatin1String(IniName), bytes);
    }
    QByteArray readIni() const { return readFile(QLatin1String(IniName)); }
    bool removeIni() const { return !iniExists() || QFile::remove(iniPath()); }

    // --- other files; `name` may hold sub-folders, which are created
    bool writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString target = filePath(name);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        return file.write(bytes) == bytes.size();
    }
    QByteArray readFile(const QString& name) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Creates a sub-folder and returns its path with one trailing "/".
    QString makeFolder(const QString& name) const
    {
        QDir().mkpath(filePath(name));
        return filePath(name) + (name.endsWith(QLatin1Char('/')) ? "" : "/");
    }

    // Copies a file in under `newName` (its own name when empty); the copy is writable whatever
    // the original was. Returns false when the source is missing or the copy fails.
    bool copyIn(const QString& sourcePath, const QString& newName = QString()) const
    {
        const QString name = newName.isEmpty() ? QFileInfo(sourcePath).fileName() : newName;
        const QString target = filePath(name);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(sourcePath, target))
            return false;
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        return true;
    }
#ifdef KORVANTA_EXAMPLES_DIR
    // One of the example files shipped beside the program (examples/ in the source tree).
    bool copyExample(const QString& name, const QString& newName = QString()) const
    {
        return copyIn(QStringLiteral(KORVANTA_EXAMPLES_DIR "/") + name, newName);
    }
#endif
#ifdef KORVANTA_SHARED_DATA_DIR
    // One of the shared test data files.
    bool copySharedData(const QString& name, const QString& newName = QString()) const
    {
        return copyIn(QStringLiteral(KORVANTA_SHARED_DATA_DIR "/") + name, newName);
    }
#endif

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

} // namespace korvanta
