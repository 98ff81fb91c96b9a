#include "settings/settings.h"

#include "settings/conversions.h"
#include "settings/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>
#include <utility>

namespace korvanta {

namespace {

    // The settings file is always in the Microsoft variant of Shift_JIS.
    constexpr const char* FileCodePage = "windows-31j";

    // Names and values with characters the code page lacks.
    //
    // Every text is written in the file's code page, and a text that code page holds (it
    // converts there and back unchanged) is written byte for byte as always. A character it
    // lacks (the wave dash U+301C and the minus sign U+2212 that Linux input methods give, é,
    // hangul, emoji, ...) is written as the escape mark, its code point in upper-case hex and a
    // semicolon: "売上〜6月.csv" becomes "売上" 0x87 0x90 "301C;6月.csv". The mark is the
    // two-byte character 0x87 0x90 (shown as ≒): valid in the code page, but never what the
    // converter makes of any character, because U+2252 converts to 0x81 0xE0. So a written text
    // holds the mark only where it escapes a character; reading turns every well-formed escape
    // back into its character, and the same text always gives the same bytes. Two different
    // texts therefore never share a section or a key, a section is found again by the name it
    // was written under, and values (folder paths, search keys) come back exactly. Characters
    // are escaped one by one, so the rest of such a name stays readable in the file.
    constexpr char EscapeLead = '\x87';
    constexpr char EscapeTrail = '\x90';
    constexpr QByteArrayView EscapeMark = "\x87\x90";
    constexpr qsizetype MaxEscapeDigits = 6; // up to U+10FFFF

    bool isLeadByte(uchar byte)
    {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }

    QString plainFromFileText(QByteArrayView bytes)
    {
        QStringDecoder decoder(FileCodePage, QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            return {};
        return decoder.decode(bytes);
    }

    // The code point of a well-formed escape whose hex digits start at `from`, and the offset
    // after its semicolon; nullopt when the bytes there are no escape.
    std::optional<std::pair<char32_t, qsizetype>> escapeAt(QByteArrayView bytes, qsizetype from)
    {
        char32_t code = 0;
        qsizetype i = from;
        for (; i < bytes.size() && i - from <= MaxEscapeDigits; ++i) {
            const char c = bytes[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                break;
            code = code * 16 + char32_t(digit);
        }
        if (i == from || i - from > MaxEscapeDigits || i >= bytes.size() || bytes[i] != ';'
            || code > 0x10FFFF)
            return std::nullopt;
        return std::make_pair(code, i + 1);
    }

    QString fromFileText(QByteArrayView bytes)
    {
        if (!bytes.contains(EscapeMark))
            return plainFromFileText(bytes);
        // Walk the bytes character by character, so that only a mark that is a character of its
        // own counts (0x87 0x90 may also be the second byte of one pair and the first of the
        // next).
        QString text;
        qsizetype plainFrom = 0;
        qsizetype i = 0;
        while (i < bytes.size()) {
            const uchar b = uchar(bytes[i]);
            if (b == uchar(EscapeLead) && i + 1 < bytes.size() && bytes[i + 1] == EscapeTrail) {
                if (const auto escape = escapeAt(bytes, i + 2)) {
                    text += plainFromFileText(bytes.sliced(plainFrom, i - plainFrom));
                    if (QChar::requiresSurrogates(escape->first)) {
                        text += QChar(QChar::highSurrogate(escape->first));
                        text += QChar(QChar::lowSurrogate(escape->first));
                    } else {
                        text += QChar(char16_t(escape->first));
                    }
                    i = plainFrom = escape->second;
                    continue;
                }
            }
            i += isLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
        }
        text += plainFromFileText(bytes.sliced(plainFrom));
        return text;
    }

    // `text` in the code page, or nullopt when the text does not come back unchanged.
    std::optional<QByteArray> plainToFileText(QStringView text)
    {
        QStringEncoder encoder(FileCodePage, QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            return std::nullopt;
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError() || plainFromFileText(bytes) != text)
            return std::nullopt;
        return bytes;
    }

    // `text` as the file holds it, with the escapes described above. nullopt only when the
    // code page's converter is missing.
    std::optional<QByteArray> toFileText(const QString& text)
    {
        if (auto bytes = plainToFileText(text))
            return bytes;
        if (!QStringEncoder(FileCodePage).isValid())
            return std::nullopt;
        QByteArray bytes;
        qsizetype i = 0;
        while (i < text.size()) {
            // One character: a surrogate pair, or a single code unit (an unpaired surrogate
            // included, which is escaped by its own value).
            const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size()
                    && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
            const QStringView character = QStringView(text).sliced(i, width);
            if (const auto plain = plainToFileText(character)) {
                bytes += *plain;
            } else {
                const char32_t code = width == 2
                    ? QChar::surrogateToUcs4(character[0], character[1])
                    : char32_t(character[0].unicode());
                bytes += EscapeMark;
                bytes += QByteArray::number(uint(code), 16).toUpper();
                bytes += ';';
            }
            i += width;
        }
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
    : Settings(appFolder, appFolder)
{
}

Settings::Settings(
    const QString& appFolder, const QString& settingsFolder, const QString& seedFolder)
    : m_appFolder(withTrailingSlash(appFolder))
    , m_settingsFolder(withTrailingSlash(settingsFolder))
    , m_seedFolder(seedFolder.isEmpty() ? QString() : withTrailingSlash(seedFolder))
{
}

QString Settings::ownFilePath() const
{
    return m_settingsFolder + QLatin1String(FileName);
}

bool Settings::readsSeed() const
{
    if (m_seedFolder.isEmpty() || m_seedSetAside || m_seedFolder == m_settingsFolder)
        return false;
    // Anything at the own path, even a dangling link or a folder, is the own file: the seed
    // must not stand in for a file that is there but cannot be read.
    const QFileInfo own(ownFilePath());
    if (own.exists() || own.isSymLink())
        return false;
    return QFileInfo::exists(m_seedFolder + QLatin1String(FileName));
}

QString Settings::filePath() const
{
    return readsSeed() ? m_seedFolder + QLatin1String(FileName) : ownFilePath();
}

bool Settings::exists() const
{
    // Anything but a folder counts: a FIFO or a device at the path is a settings file that
    // cannot be read, not a missing one whose first start would try to write defaults over it.
    const QFileInfo info(filePath());
    return (info.exists() && !info.isDir()) || !m_pending.empty();
}

bool Settings::remove()
{
    // Values of an open batch written before the file goes go with it.
    m_pending.clear();
    m_seedSetAside = !m_seedFolder.isEmpty();
    const QString path = ownFilePath();
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        return true; // nothing to delete
    return QFile::remove(path);
}

bool Settings::canStore(const QString& text)
{
    const auto bytes = toFileText(text);
    return bytes && ini::readsBackUnchanged(*bytes);
}

QString Settings::storedForm(const QString& text)
{
    QString value = text;
    for (;;) {
        if (canStore(value))
            return value;
        const auto bytes = toFileText(value);
        if (!bytes || !ini::isValidValue(*bytes))
            return {};
        // One step of what reading does at a time, until the value reads back as it is.
        qsizetype begin = 0;
        qsizetype end = value.size();
        while (begin < end && (value.at(begin) == u' ' || value.at(begin) == u'\t'))
            ++begin;
        while (end > begin && (value.at(end - 1) == u' ' || value.at(end - 1) == u'\t'))
            --end;
        if (begin > 0 || end < value.size()) {
            value = value.sliced(begin, end - begin);
            continue;
        }
        const QChar first = value.front();
        if (value.size() >= 2 && (first == u'"' || first == u'\'') && value.back() == first) {
            value = value.sliced(1, value.size() - 2);
            continue;
        }
        // Too long: whole characters go from the end until it fits (each takes a byte at least).
        value.truncate(ini::MaxValueBytes);
        while (!value.isEmpty() && toFileText(value)->size() > ini::MaxValueBytes) {
            const bool pair = value.size() >= 2 && value.back().isLowSurrogate()
                && value.at(value.size() - 2).isHighSurrogate();
            value.chop(pair ? 2 : 1);
        }
    }
}

std::optional<QByteArray> Settings::currentContent() const
{
    auto content = ini::readFile(filePath());
    if (!content || m_pending.empty())
        return content;
    for (const Edit& edit : m_pending) {
        if (auto updated = ini::writeValue(*content, edit.section, edit.key, edit.value))
            *content = std::move(*updated);
    }
    return content;
}

QString Settings::ReadSetting(const QString& section, const QString& key) const
{
    const auto sectionBytes = toFileText(section);
    const auto keyBytes = toFileText(key);
    if (!sectionBytes || !keyBytes)
        return {}; // a name the file cannot hold is not in it
    const auto content = currentContent();
    if (!content)
        return {};
    return fromFileText(ini::readValue(*content, *sectionBytes, *keyBytes));
}

bool Settings::WriteSetting(const QString& section, const QString& key, const QString& value) const
{
    auto sectionBytes = toFileText(section);
    auto keyBytes = toFileText(key);
    auto valueBytes = toFileText(value);
    if (!sectionBytes || !keyBytes || !valueBytes || !ini::isValidSection(*sectionBytes)
        || !ini::isValidKey(*keyBytes) || !ini::isValidValue(*valueBytes))
        return false;
    Edit edit { std::move(*sectionBytes), std::move(*keyBytes), std::move(*valueBytes) };
    if (m_batchDepth > 0) {
        m_pending.push_back(std::move(edit));
        return true;
    }
    return commitEdits({ std::move(edit) });
}

bool Settings::commitEdits(const std::vector<Edit>& edits) const
{
    if (edits.empty())
        return true;
    const QString path = ownFilePath();
    QLockFile lock(path + QLatin1String(LockFileSuffix));
    lock.setStaleLockTime(StaleLockMs);
    if (!lock.tryLock(LockWaitMs)) {
        // Writing without the lock could undo another copy's values written at the same
        // moment; the values are not written, and the caller counts that as a failed write.
        qWarning("Korvanta: the settings file %s was not written: its lock could not be taken "
                 "(error %d)",
            qPrintable(QDir::toNativeSeparators(path)), int(lock.error()));
        return false;
    }
    // Written to the settings folder always; while the seed is in use, the new file starts as
    // its copy, so that the first write keeps everything else the seed holds.
    const bool fromSeed = readsSeed();
    // A file that exists but cannot be read is left alone: writing our values in its place
    // would lose everything else it holds. A seed that cannot be read gives nothing to keep.
    auto content = ini::readFile(filePath());
    if (!content && fromSeed)
        content = QByteArray();
    if (!content)
        return false;
    QByteArray updated = *content;
    for (const Edit& edit : edits) {
        // Every edit was checked when it was made, so none is refused here.
        if (auto next = ini::writeValue(updated, edit.section, edit.key, edit.value))
            updated = std::move(*next);
    }
    if (!fromSeed && updated == *content && QFileInfo(path).isFile())
        return true; // the values are stored already
    return ini::writeFileAtomically(path, updated);
}

std::optional<bool> Settings::value(const BooleanKey& key) const
{
    return BooleanFromText(read(key));
}

int Settings::value(const IntegerKey& key) const
{
    return IntegerFromText(read(key));
}

double Settings::value(const LengthKey& key) const
{
    const QString text = read(key);
    return key.reading == LengthReading::AsStored ? NumberFromText(text) : IntegerFromText(text);
}

bool Settings::setValue(const BooleanKey& key, bool value) const
{
    return write(key, TextFromBoolean(value));
}

bool Settings::setValue(const IntegerKey& key, int value) const
{
    return write(key, QString::number(value));
}

bool Settings::setValue(const LengthKey& key, double twips) const
{
    return write(key, TextFromSingle(twips));
}

int Settings::value(const QString& section, const FileIntegerKey& key) const
{
    return IntegerFromText(ReadSetting(section, QString::fromLatin1(key.key)));
}

bool Settings::setValue(const QString& section, const FileIntegerKey& key, int value) const
{
    return WriteSetting(section, QString::fromLatin1(key.key), QString::number(value));
}

SettingsBatch::SettingsBatch(const Settings& settings)
    : m_settings(settings)
{
    ++m_settings.m_batchDepth;
}

SettingsBatch::~SettingsBatch()
{
    commit();
}

bool SettingsBatch::commit()
{
    if (!m_open)
        return m_result;
    m_open = false;
    if (--m_settings.m_batchDepth > 0)
        return m_result;
    const std::vector<Settings::Edit> edits = std::move(m_settings.m_pending);
    m_settings.m_pending.clear();
    m_result = m_settings.commitEdits(edits);
    return m_result;
}

} // namespace korvanta
