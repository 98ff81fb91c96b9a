#pragma once

#include "settings/settingkeys.h"

#include <QString>

#include <optional>
#include <vector>

namespace korvanta {

class SettingsBatch;

// Returns `folder` as an absolute folder path with exactly one trailing "/" (a root "/" stays
// as it is). This is the form of AppFolder and CurrentFolder.
QString withTrailingSlash(const QString& folder);

// The settings file Korvanta.ini in the program folder, or in the folder given for it (an
// installed copy keeps it in the user's configuration folder). Every read opens, reads and closes
// the file at once; nothing about the file is cached. Outside a batch a value written is on disk
// when WriteSetting returns; inside one (see SettingsBatch) it is on disk when the batch commits.
// Either way the next ReadSetting sees it.
//
// The file is replaced whole, through a temporary file renamed over it, and only while this
// program holds the lock file beside it (Korvanta.ini.lock): the file is read again under the
// lock and the new values are put into what it holds then, so that another running copy's
// values written in between are kept.
//
// A portable folder that cannot be written may come with a settings file of its own, prepared
// before it was copied to read-only media. That file, the seed, is read for as long as the
// settings folder holds no settings file; the first write copies it there with the new value, and
// from then on the copy is the file in use.
class Settings
{
public:
    static constexpr const char* FileName = "Korvanta.ini";
    static constexpr const char* LockFileSuffix = ".lock";
    // A write waits this long for the lock. A lock older than StaleLockMs is taken over (its
    // holder is stuck or gone; a holder that ended on this machine is noticed at once), and the
    // wait is longer than that, so the lock is only missed when it cannot be made at all.
    // Holding it takes one read and one replacement of a small file.
    static constexpr int StaleLockMs = 4000;
    static constexpr int LockWaitMs = 5000;

    explicit Settings(const QString& appFolder);
    // AppFolder (the default folder), the folder of the settings file when they differ, and
    // the folder of a seed file ("" for none).
    Settings(const QString& appFolder, const QString& settingsFolder,
        const QString& seedFolder = QString());

    // The program folder with one trailing "/".
    QString AppFolder() const { return m_appFolder; }
    // The folder the settings file is written to, with one trailing "/".
    QString settingsFolder() const { return m_settingsFolder; }
    // The file in use: the one that is read now (the seed until the settings folder has a file).
    QString filePath() const;
    bool exists() const;
    // Deletes the whole file (the delete-all command). Returns false when it could not. A seed,
    // which cannot be deleted, is no longer read in this run: the next write starts a new file.
    bool remove();

    // The value of `key` in `section`, trimmed and without one pair of enclosing quotes, cut to
    // its first 254 bytes in the file's code page; "" for a missing file, section or key.
    QString ReadSetting(const QString& section, const QString& key) const;
    // Stores `value` under `key` in `section`. A failed write changes nothing on disk and is not
    // reported to the user; the result only says whether it succeeded. Inside a batch the value
    // is kept for the batch's commit, and the result says whether it was accepted.
    // Characters the file's code page lacks are written as escapes (see settings.cpp), never as
    // a look-alike: a changed section name would mix up two files' state and a changed search
    // key would come back as a key the user never typed. Names and values that would break the
    // line structure (a line break or NUL anywhere, "=" in a key, an empty name) are refused.
    bool WriteSetting(const QString& section, const QString& key, const QString& value) const;

    // Whether `text` can be stored as a value and comes back exactly: it holds no line break or
    // NUL, has no blanks at either end, no enclosing pair of quotes and at most 254 bytes in the
    // file (characters the code page lacks written as their escapes). The search keys are
    // stored in their storedForm, for which this holds.
    static bool canStore(const QString& text);

    // `text` as it comes back when stored now, and stored that way it comes back exactly
    // (canStore holds for the result): blanks and tabs at either end and one pair of enclosing
    // quotes dropped, as reading drops them, and cut to at most 254 bytes in the file between
    // two characters (a character the code page lacks is kept or dropped whole, with its
    // escape). Empty for text that cannot be stored at all (a line break or NUL in it).
    static QString storedForm(const QString& text);

    // The stored text of `key` as it stands, and storing a text under it.
    QString read(const SettingKey& key) const { return ReadSetting(key.section, key.key); }
    bool write(const SettingKey& key, const QString& value) const
    {
        return WriteSetting(key.section, key.key, value);
    }

    // Typed values: the key's type chooses the conversion, the same for every reader and writer.
    // A Boolean that is missing or not a Boolean reads as nullopt; a missing number reads as 0.
    std::optional<bool> value(const BooleanKey& key) const;
    int value(const IntegerKey& key) const;
    double value(const LengthKey& key) const;
    QString value(const TextKey& key) const { return read(key); }
    // Booleans are written as "True" or "False", lengths as the text of a single-precision
    // number, integers in decimal.
    bool setValue(const BooleanKey& key, bool value) const;
    bool setValue(const IntegerKey& key, int value) const;
    bool setValue(const LengthKey& key, double twips) const;
    bool setValue(const TextKey& key, const QString& value) const { return write(key, value); }
    // A text such as "True" must not pass for a Boolean by being a non-null pointer.
    template <typename T> bool setValue(const BooleanKey& key, T value) const = delete;

    // The keys of the section named `section`: a data file's name, or RirekiFileKey.
    int value(const QString& section, const FileIntegerKey& key) const;
    QString value(const QString& section, const FileTextKey& key) const
    {
        return ReadSetting(section, QString::fromLatin1(key.key));
    }
    bool setValue(const QString& section, const FileIntegerKey& key, int value) const;
    bool setValue(const QString& section, const FileTextKey& key, const QString& value) const
    {
        return WriteSetting(section, QString::fromLatin1(key.key), value);
    }

private:
    friend class SettingsBatch;

    // One value to store, its names and value in the file's bytes.
    struct Edit
    {
        QByteArray section;
        QByteArray key;
        QByteArray value;
    };

    // The file in the settings folder, whether it exists or not.
    QString ownFilePath() const;
    // Whether the seed is the file in use.
    bool readsSeed() const;
    // The bytes of the file in use with the open batch's values put in; nullopt when the file
    // cannot be read.
    std::optional<QByteArray> currentContent() const;
    // Under the lock: reads the file in use again, puts `edits` into it and replaces the own
    // file with the result when that differs. False when the lock cannot be taken or the file
    // cannot be read or replaced; the file is then as it was.
    bool commitEdits(const std::vector<Edit>& edits) const;

    QString m_appFolder;
    QString m_settingsFolder;
    QString m_seedFolder;
    bool m_seedSetAside = false;
    // The open batches (nested ones join the outermost) and the values they hold.
    mutable int m_batchDepth = 0;
    mutable std::vector<Edit> m_pending;
};

// Writes through `settings` from its construction to commit() as one: the values are kept in
// memory (reads through the same Settings see them) and the file is replaced once, under the
// lock, at commit(). A batch opened while another is open joins it, and only the outermost one
// writes. Destroyed without commit(), it commits.
class SettingsBatch
{
public:
    explicit SettingsBatch(const Settings& settings);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Writes the values of the batch. False when they could not be written (nothing of them is
    // then on disk). A joined batch writes nothing and returns true; its values go with the
    // outermost batch. Calls after the first return its result again.
    bool commit();

private:
    const Settings& m_settings;
    bool m_open = true;
    bool m_result = true;
};

} // namespace korvanta
