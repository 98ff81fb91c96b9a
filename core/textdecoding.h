#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace korvanta {

// The encodings a data file is read in. One is chosen per file, from all of its bytes.
enum class DataEncoding {
    Ascii, // only bytes below 0x80 and no sign of UTF-16: every candidate decodes them alike
    Utf8, // valid UTF-8 with at least one multi-byte sequence
    Utf8WithBom, // starts with the UTF-8 byte-order mark
    Utf16Le, // UTF-16, little end first, recognised by its zero bytes
    Utf16LeWithBom, // starts with FF FE
    Utf16Be, // UTF-16, big end first, recognised by its zero bytes
    Utf16BeWithBom, // starts with FE FF
    EucJp, // valid EUC-JP that the charset detector names so
    Cp932, // anything else: the Microsoft variant of Shift_JIS
};

bool isUtf16(DataEncoding encoding);

// The encoding a user chose for a file: Auto leaves it to detection, any other is read so
// whatever the bytes look like. Unicode's byte-order mark (and, for UTF-16 without one, which
// byte position of the pairs holds more zeros) still tells which form of UTF-8 or UTF-16.
enum class EncodingChoice { Auto, ShiftJis, Utf8, Utf16, EucJp };

// The name of a choice as the settings file stores it ("SJIS", "UTF8", "UTF16", "EUCJP"; "" for
// Auto), and the choice of a stored name (anything else is Auto).
QString encodingChoiceName(EncodingChoice choice);
EncodingChoice encodingChoiceFromName(QStringView name);
// The name of an encoding as the file information shows it ("Shift_JIS", "UTF-8 (BOM付き)", ...).
QString encodingDisplayName(DataEncoding encoding);

// Which encoding a data file's bytes (the whole file) are read in, decided in this order:
//  1. a byte-order mark: UTF-8, UTF-16LE, UTF-16BE;
//  2. UTF-16 without a mark, told by its zero bytes: the high byte of every ASCII character is
//     zero, so one byte position of the pairs holds many zeros and the other few;
//  3. bytes below 0x80 only: ASCII; valid UTF-8 with a multi-byte sequence: UTF-8, unless every
//     sequence is also a pair of half-width katakana of code page 932 (then as step 5);
//  4. EUC-JP, only when the bytes are valid EUC-JP, not all of their high bytes are half-width
//     katakana of code page 932 (0xA1 to 0xDF, which pair up as valid EUC-JP by chance), and
//     ICU's charset detector rates EUC-JP at least as high as every other charset (it is shown
//     the text from its first non-ASCII byte on, up to 256 KiB);
//  5. otherwise code page 932.
DataEncoding detectDataEncoding(QByteArrayView bytes);

// detectDataEncoding for a file's bytes given in pieces, each ending after a LF byte but the last,
// so that a large file need not be held whole to decide its encoding.
class DataEncodingDetector
{
public:
    // With a choice other than Auto, the bytes are only looked at for what resultFor needs.
    explicit DataEncodingDetector(EncodingChoice choice = EncodingChoice::Auto)
        : m_choice(choice)
    {
    }
    void add(QByteArrayView piece);
    // The encoding decided, or the form of the chosen one the bytes show.
    DataEncoding result() const;

private:
    DataEncoding chosen() const;

    EncodingChoice m_choice;
    QByteArray m_start; // the first bytes, for the byte-order marks
    qint64 m_size = 0;
    qint64 m_zeroFirst = 0; // zero bytes at even offsets
    qint64 m_zeroSecond = 0;
    bool m_evenZero = false; // the last byte was a zero at an even offset
    bool m_zeroUnit = false; // a code unit of two zero bytes
    bool m_utf8Invalid = false;
    bool m_utf8MultiByte = false;
    bool m_utf8HalfWidthPairs = false;
    bool m_eucInvalid = false;
    bool m_eucValid = false; // bytes beyond half-width katakana were seen
    QByteArray m_sample; // for the charset detector
};

// `bytes` as text in `encoding`; a byte-order mark of that encoding at the start is dropped.
// Every invalid sequence becomes one U+FFFD and decoding goes on with the next byte.
QString decodeAs(QByteArrayView bytes, DataEncoding encoding);

// detectDataEncoding, then decodeAs.
QString decodeDataText(QByteArrayView bytes);

// Code page 932 (Microsoft's Shift_JIS) to text, with ICU's mapping of every double-byte
// character. The single bytes 0x00 to 0x7F stand for themselves and 0xA1 to 0xDF are half-width
// katakana. A byte that is no character, a lead byte without a valid second byte and a pair
// without a character each give one U+FFFD; nothing is dropped.
QString decodeCp932(QByteArrayView bytes);

// EUC-JP as the C library maps it (JIS X 0208 with the wave dash U+301C and the minus sign
// U+2212 as Linux writes them, half-width katakana after 0x8E, JIS X 0212 after 0x8F; the
// vendor rows of the Microsoft variant where plain EUC-JP has none).
QString decodeEucJp(QByteArrayView bytes);

// UTF-16 in either byte order. An unpaired surrogate and an odd last byte give U+FFFD.
QString decodeUtf16(QByteArrayView bytes, bool bigEndian);

// A converter between text and code page 932, as the data files and the settings file use it.
struct Cp932Converter
{
    std::function<QString(QByteArrayView)> decode;
    std::function<QByteArray(QStringView)> encode;
};

// Qt's converter "windows-31j", which comes from ICU. A Qt built without ICU has none: decoding
// then gives U+FFFD for every double-byte character and encoding gives nothing.
Cp932Converter qtCp932Converter();

// Whether `converter` is code page 932: it turns a few known characters of each kind (kanji,
// hiragana, half-width katakana, the Microsoft rows and mappings) into their bytes and back.
// Without it no Japanese file or setting could be read, so the program does not start.
bool cp932ConverterWorks(const Cp932Converter& converter);

} // namespace korvanta
