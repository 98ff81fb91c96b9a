#include "settings/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta::ini {

namespace {

    constexpr QByteArrayView NewLine = "\r\n";

    bool isBlank(char c)
    {
        return c == ' ' || c == '\t';
    }

    QByteArrayView trimBlanks(QByteArrayView text)
    {
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && isBlank(text[begin]))
            ++begin;
        while (end > begin && isBlank(text[end - 1]))
            --end;
        return text.sliced(begin, end - begin);
    }

    char asciiLower(char c)
    {
        return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }

    // Compares two names ignoring the case of ASCII letters. Both names are walked character by
    // character, so the second byte of a double-byte character is compared exactly: otherwise
    // "\x83\x41" and "\x83\x61", two different katakana, would count as the same name.
    bool namesEqual(QByteArrayView a, QByteArrayView b)
    {
        if (a.size() != b.size())
            return false;
        qsizetype i = 0;
        while (i < a.size()) {
            if (isLeadByte(uchar(a[i])) && i + 1 < a.size()) {
                if (a[i] != b[i] || a[i + 1] != b[i + 1])
                    return false;
                i += 2;
            } else {
                if (asciiLower(a[i]) != asciiLower(b[i]))
                    return false;
                ++i;
            }
        }
        return true;
    }

    // Whether `text` ends in a lead byte that lacks its second byte.
    bool endsInsideCharacter(QByteArrayView text)
    {
        qsizetype i = 0;
        while (i < text.size()) {
            if (!isLeadByte(uchar(text[i]))) {
                ++i;
                continue;
            }
            if (i + 1 == text.size())
                return true;
            i += 2;
        }
        return false;
    }

    bool containsLineBreakOrNul(QByteArrayView text)
    {
        for (char c : text) {
            if (c == '\r' || c == '\n' || c == '\0')
                return true;
        }
        return false;
    }

    // One line of the content: [begin, end) is its text, [end, next) its line end (empty for an
    // unterminated last line).
    struct Line
    {
        qsizetype begin = 0;
        qsizetype end = 0;
        qsizetype next = 0;
    };

    class LineReader
    {
    public:
        explicit LineReader(QByteArrayView content)
            : m_content(content)
        {
        }

        bool next(Line& line)
        {
            if (m_pos >= m_content.size())
                return false;
            line.begin = m_pos;
            qsizetype i = m_pos;
            const qsizetype size = m_content.size();
            while (i < size && m_content[i] != '\r' && m_content[i] != '\n')
                ++i;
            line.end = i;
            if (i < size) {
                if (m_content[i] == '\r' && i + 1 < size && m_content[i + 1] == '\n')
                    i += 2;
                else
                    i += 1;
            }
            line.next = i;
            m_pos = i;
            return true;
        }

    private:
        QByteArrayView m_content;
        qsizetype m_pos = 0;
    };

    // The trimmed name of a section header line, or nullopt when the line is no header.
    std::optional<QByteArrayView> sectionName(QByteArrayView text)
    {
        qsizetype i = 0;
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size() || text[i] != '[')
            return std::nullopt;
        const qsizetype nameBegin = i + 1;
        // The name runs to the last "]" that is a character of its own, not the second byte of a
        // double-byte character.
        qsizetype close = -1;
        for (qsizetype j = nameBegin; j < text.size();) {
            if (isLeadByte(uchar(text[j])) && j + 1 < text.size()) {
                j += 2;
                continue;
            }
            if (text[j] == ']')
                close = j;
            ++j;
        }
        if (close < 0)
            return std::nullopt;
        return trimBlanks(text.sliced(nameBegin, close - nameBegin));
    }

    struct KeyLine
    {
        QByteArrayView name;
        qsizetype valueBegin = 0; // offset of the value within the line
    };

    std::optional<KeyLine> keyLine(QByteArrayView text)
    {
        const qsizetype equals = text.indexOf('=');
        if (equals < 0)
            return std::nullopt;
        return KeyLine { trimBlanks(text.first(equals)), equals + 1 };
    }

    bool isBlankLine(QByteArrayView text)
    {
        return trimBlanks(text).isEmpty();
    }

    QByteArrayView finishValue(QByteArrayView value)
    {
        value = trimBlanks(value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        const qsizetype nul = value.indexOf('\0');
        if (nul >= 0)
            value = value.first(nul);
        if (value.size() > MaxValueBytes) {
            // Cut at MaxValueBytes, but never between the two bytes of a character: a lone lead
            // byte would decode to a replacement character.
            qsizetype i = 0;
            while (i < MaxValueBytes) {
                const qsizetype width = isLeadByte(uchar(value[i])) ? 2 : 1;
                if (i + width > MaxValueBytes)
                    break;
                i += width;
            }
            value = value.first(i);
        }
        return value;
    }

} // namespace

QByteArray readValue(QByteArrayView content, QByteArrayView section, QByteArrayView key)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.isEmpty() || key.isEmpty())
        return {};
    LineReader reader(content);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        const QByteArrayView text = content.sliced(line.begin, line.end - line.begin);
        if (const auto name = sectionName(text)) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = namesEqual(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = keyLine(text); entry && namesEqual(entry->name, key))
            return finishValue(text.sliced(entry->valueBegin)).toByteArray();
    }
    return {};
}

// Names are checked as they are written, after trimming: a lead byte followed by a blank is a
// whole character before the trim and a cut one after it.
bool isValidSection(QByteArrayView section)
{
    const QByteArrayView name = trimBlanks(section);
    return !name.isEmpty() && !containsLineBreakOrNul(section) && !endsInsideCharacter(name);
}

bool isValidKey(QByteArrayView key)
{
    const QByteArrayView name = trimBlanks(key);
    return !name.isEmpty() && name.front() != '[' && !name.contains('=')
        && !containsLineBreakOrNul(key) && !endsInsideCharacter(name);
}

bool readsBackUnchanged(QByteArrayView value)
{
    const auto written = writeValue({}, "s", "k", value);
    return written && readValue(*written, "s", "k") == value;
}

bool isValidValue(QByteArrayView value)
{
    return !containsLineBreakOrNul(value);
}

std::optional<QByteArray> writeValue(
    QByteArrayView content, QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    if (!isValidSection(section) || !isValidKey(key) || !isValidValue(value))
        return std::nullopt;
    section = trimBlanks(section);
    key = trimBlanks(key);

    LineReader reader(content);
    Line line;
    bool inSection = false;
    bool sectionFound = false;
    Line lastNonBlank; // the last non-blank line of the section, its header at least
    while (reader.next(line)) {
        const QByteArrayView text = content.sliced(line.begin, line.end - line.begin);
        if (const auto name = sectionName(text)) {
            if (inSection)
                break;
            if (namesEqual(*name, section)) {
                inSection = sectionFound = true;
                lastNonBlank = line;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = keyLine(text); entry && namesEqual(entry->name, key)) {
            // Replace the value in place; the key as spelled in the file and the line end stay.
            const qsizetype valueBegin = line.begin + entry->valueBegin;
            QByteArray result;
            result.reserve(content.size() - (line.end - valueBegin) + value.size());
            result.append(content.first(valueBegin));
            result.append(value);
            result.append(content.sliced(line.end));
            return result;
        }
        if (!isBlankLine(text))
            lastNonBlank = line;
    }

    QByteArray result;
    result.reserve(content.size() + section.size() + key.size() + value.size() + 8);
    if (sectionFound) {
        result.append(content.first(lastNonBlank.next));
        if (lastNonBlank.next == lastNonBlank.end)
            result.append(NewLine); // the section ends in an unterminated last line
        result.append(key).append('=').append(value).append(NewLine);
        result.append(content.sliced(lastNonBlank.next));
        return result;
    }
    result.append(content);
    if (!content.isEmpty() && content.back() != '\n' && content.back() != '\r')
        result.append(NewLine);
    result.append('[').append(section).append(']').append(NewLine);
    result.append(key).append('=').append(value).append(NewLine);
    return result;
}

std::optional<QByteArray> readFile(const QString& path)
{
    // Only a regular file is opened. Opening a FIFO for reading waits for a writer, for ever if
    // none comes, and opening a device can have effects of its own; both count as unreadable.
    const QByteArray native = QFile::encodeName(path);
    struct stat status;
    if (::stat(native.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QByteArray(); // no file: nothing stored yet
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode))
        return std::nullopt;
    // O_NONBLOCK: should the path have been replaced by a FIFO since the check above, the open
    // still returns at once, and the check on the opened file refuses it.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}

bool writeFileAtomically(const QString& path, const QByteArray& content)
{
    // Only a regular file is replaced; whatever else stands at the path stays.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile())
        return false;
    QSaveFile file(path);
    // Never fall back to writing the old file in place: that is what could leave it half written.
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count:
    // a buffer flushed only by commit() would lose the shortfall and commit a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // An uncommitted QSaveFile removes its temporary file when destroyed.
    if (file.write(content) != content.size())
        return false;
    return file.commit();
}

} // namespace korvanta::ini
