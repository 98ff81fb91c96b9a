#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The initialization-file format of Korvanta.ini, worked on as bytes in code page 932.
//
// A line ends with CR LF, a lone CR or a lone LF. A section starts with a line holding "[" name
// "]" after optional blanks or tabs; the name runs to the last "]" of the line and is trimmed.
// A line starting with "[" but without a closing "]" is no section header. Any other line with
// an "=" holds a key: the trimmed text before the first "=" is its name, the rest of the line
// its value. Lines without "=" and key lines before the first section belong to no key.
// Section and key names are matched ignoring ASCII letter case, but the two bytes of a
// double-byte character are always compared exactly (its second byte may look like a letter).
// When a section or key occurs twice, the first one counts.
namespace korvanta::ini {

// A value read back is cut to this many bytes.
inline constexpr qsizetype MaxValueBytes = 254;

// True for a byte that starts a two-byte character of code page 932.
constexpr bool isLeadByte(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The value of `key` in the first section named `section`: trimmed of blanks and tabs, without
// one matching pair of enclosing double or single quotes, cut at a NUL byte and then to its
// first MaxValueBytes bytes (one byte less when the cut would split a two-byte character).
// Empty when the section or the key is missing.
QByteArray readValue(QByteArrayView content, QByteArrayView section, QByteArrayView key);

// Whether writeValue accepts these names and this value. A section name must not be empty
// after trimming, must not end inside a two-byte character after trimming and must hold no CR,
// LF or NUL; a key name in addition no "=" and no leading "["; a value no CR, LF or NUL.
// Anything else would break the line structure of the file or could not be found again.
bool isValidSection(QByteArrayView section);
bool isValidKey(QByteArrayView key);
bool isValidValue(QByteArrayView value);

// Whether `value`, once written, is read back exactly: it is valid and has no blanks or tabs at
// either end, no enclosing pair of matching quotes and at most MaxValueBytes bytes.
bool readsBackUnchanged(QByteArrayView value);

// `content` with `key` in `section` set to `value`. An existing key (the first one in the first
// matching section) gets the new value after its "=" and keeps its line end; a new key is added
// as "key=value" after the last non-blank line of its section; a new section is added at the
// end of the file, after terminating an unterminated last line. New lines end with CR LF; all
// other bytes stay as they were. nullopt when the names or the value are not valid.
std::optional<QByteArray> writeValue(
    QByteArrayView content, QByteArrayView section, QByteArrayView key, QByteArrayView value);

// The whole file. Empty when the file does not exist; nullopt when it exists but cannot be read
// (no permission, a read error) or is no regular file (a folder, a FIFO, a device), which is
// never opened.
std::optional<QByteArray> readFile(const QString& path);

// Replaces the file at `path` by `content` through a temporary file beside it that is renamed
// over the old one only when it was written completely, so a crash or a full disk never leaves
// a half-written file. Returns false on failure; the old file is then unchanged.
bool writeFileAtomically(const QString& path, const QByteArray& content);

} // namespace korvanta::ini
