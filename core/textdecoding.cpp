#include "core/textdecoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <unicode/ucsdet.h>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace korvanta {

namespace {

    constexpr char16_t Replacement = 0xFFFD;

    constexpr bool isCp932Lead(uchar b)
    {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    constexpr bool isCp932Trail(uchar b)
    {
        return b >= 0x40 && b <= 0xFC && b != 0x7F;
    }

    // The characters of code page 932, taken once from ICU. ICU's own decoder is not used for the
    // text itself because it swaps the control bytes 0x1A, 0x1C and 0x7F (as the IBM variant of
    // the code page does), turns invalid bytes into the invisible U+001A and silently drops a lead
    // byte at the very end.
    struct Cp932Table
    {
        // single[b]: the character of a byte that is not a lead byte.
        std::array<char16_t, 256> single {};
        // pairs[(lead - 0x80) * 256 + trail]: the character of a double-byte pair, 0 when
        // `trail` cannot follow a lead byte.
        std::array<char16_t, 128 * 256> pairs {};
    };

    std::unique_ptr<Cp932Table> buildCp932Table()
    {
        auto table = std::make_unique<Cp932Table>();
        for (int b = 0; b < 0x80; ++b)
            table->single[b] = char16_t(b);
        for (int b = 0x80; b < 0x100; ++b)
            table->single[b] = Replacement;
        for (int b = 0xA1; b <= 0xDF; ++b)
            table->single[b] = char16_t(0xFF61 + (b - 0xA1));

        QByteArray trails;
        for (int t = 0x40; t <= 0xFC; ++t) {
            if (isCp932Trail(uchar(t)))
                trails.append(char(t));
        }
        const auto usable = [](char16_t c) {
            // ICU marks a pair without a character with U+FFFD or U+001A.
            return c >= 0x80 && c != Replacement ? c : Replacement;
        };
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!isCp932Lead(uchar(lead)))
                continue;
            QByteArray pairs;
            pairs.reserve(trails.size() * 2);
            for (const char t : trails) {
                pairs.append(char(lead));
                pairs.append(t);
            }
            QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
            const QString decoded = decoder.isValid() ? decoder.decode(pairs) : QString();
            char16_t* row = table->pairs.data() + (lead - 0x80) * 256;
            for (qsizetype i = 0; i < trails.size(); ++i) {
                const uchar t = uchar(trails[i]);
                if (decoded.size() == trails.size()) {
                    row[t] = usable(decoded[i].unicode());
                } else if (decoder.isValid()) {
                    // Every pair is one character in ICU's table; decode one by one otherwise.
                    const char pair[2] = { char(lead), char(t) };
                    QStringDecoder one("windows-31j", QStringConverter::Flag::Stateless);
                    const QString c = one.decode(QByteArrayView(pair, 2));
                    row[t] = c.size() == 1 ? usable(c[0].unicode()) : Replacement;
                } else {
                    row[t] = Replacement;
                }
            }
        }
        return table;
    }

    const Cp932Table& cp932Table()
    {
        static const std::unique_ptr<Cp932Table> table = buildCp932Table();
        return *table;
    }

    // ---- EUC-JP

    // The characters of EUC-JP, taken once from the C library's converter, which maps the
    // characters the way Linux programs write them (U+301C for the wave dash, not U+FF5E). Its
    // Microsoft-flavoured variant fills the vendor rows (circled numbers and the like) that
    // plain EUC-JP leaves empty. 0 marks a pair without a character.
    struct EucJpTable
    {
        // [(first - 0xA1) * 94 + (second - 0xA1)]
        std::array<char16_t, 94 * 94> jis0208 {};
        std::array<char16_t, 94 * 94> jis0212 {}; // after the prefix 0x8F
    };

    class Iconv
    {
    public:
        explicit Iconv(const char* from)
            : m_cd(iconv_open("UTF-16LE", from))
        {
        }
        ~Iconv()
        {
            if (valid())
                iconv_close(m_cd);
        }
        Iconv(const Iconv&) = delete;
        Iconv& operator=(const Iconv&) = delete;

        bool valid() const { return m_cd != iconv_t(-1); }

        // The one BMP character that `bytes` stand for, or 0.
        char16_t character(const char* bytes, size_t size)
        {
            if (!valid())
                return 0;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            char in[4];
            std::memcpy(in, bytes, size);
            char out[8];
            char* inPtr = in;
            char* outPtr = out;
            size_t inLeft = size;
            size_t outLeft = sizeof out;
            if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0
                || outLeft != sizeof out - 2)
                return 0;
            const char16_t c = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
            return c >= 0x80 && c != Replacement ? c : 0;
        }

    private:
        iconv_t m_cd;
    };

    std::unique_ptr<EucJpTable> buildEucJpTable()
    {
        auto table = std::make_unique<EucJpTable>();
        Iconv plain("EUC-JP");
        Iconv vendor("EUC-JP-MS");
        const auto lookUp = [&](const char* bytes, size_t size) {
            const char16_t c = plain.character(bytes, size);
            return c ? c : vendor.character(bytes, size);
        };
        for (int first = 0xA1; first <= 0xFE; ++first) {
            for (int second = 0xA1; second <= 0xFE; ++second) {
                const std::size_t i = std::size_t(first - 0xA1) * 94 + std::size_t(second - 0xA1);
                const char pair[2] = { char(first), char(second) };
                table->jis0208[i] = lookUp(pair, 2);
                const char triple[3] = { '\x8F', char(first), char(second) };
                table->jis0212[i] = lookUp(triple, 3);
            }
        }
        return table;
    }

    const EucJpTable& eucJpTable()
    {
        static const std::unique_ptr<EucJpTable> table = buildEucJpTable();
        return *table;
    }

    constexpr bool isEucByte(uchar b)
    {
        return b >= 0xA1 && b <= 0xFE;
    }

    constexpr bool isHalfWidthKatakanaByte(uchar b)
    {
        return b >= 0xA1 && b <= 0xDF;
    }

    enum class EucScan { Invalid, OnlyHalfWidthKatakanaBytes, Valid };

    // Whether `bytes` are well-formed EUC-JP, and whether every byte of 0x80 or above would be a
    // half-width katakana of code page 932: then the text is taken as code page 932, because a
    // line of half-width katakana whose runs happen to have even lengths is valid EUC-JP too.
    EucScan scanEucJp(QByteArrayView bytes)
    {
        const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
        const uchar* const end = p + bytes.size();
        bool outsideHalfWidth = false;
        while (p < end) {
            const uchar b = *p;
            if (b < 0x80) {
                ++p;
                continue;
            }
            if (b == 0x8E) {
                if (end - p < 2 || !isHalfWidthKatakanaByte(p[1]))
                    return EucScan::Invalid;
                outsideHalfWidth = true;
                p += 2;
            } else if (b == 0x8F) {
                if (end - p < 3 || !isEucByte(p[1]) || !isEucByte(p[2]))
                    return EucScan::Invalid;
                outsideHalfWidth = true;
                p += 3;
            } else if (isEucByte(b)) {
                if (end - p < 2 || !isEucByte(p[1]))
                    return EucScan::Invalid;
                if (!isHalfWidthKatakanaByte(b) || !isHalfWidthKatakanaByte(p[1]))
                    outsideHalfWidth = true;
                p += 2;
            } else {
                return EucScan::Invalid;
            }
        }
        return outsideHalfWidth ? EucScan::Valid : EucScan::OnlyHalfWidthKatakanaBytes;
    }

    // The detector reads about 50 ms per MiB; it is shown this much of the text, which is
    // plenty for its statistics (validity is checked on every byte before).
    constexpr qsizetype DetectorSampleBytes = 256 * 1024;

    // The part of `bytes` (valid EUC-JP) the detector is shown: from the first byte of 0x80 or
    // above, which starts a character, up to DetectorSampleBytes, ending after a LF where the
    // text goes on, so that no character is cut.
    QByteArrayView detectorSample(QByteArrayView bytes)
    {
        qsizetype begin = 0;
        while (begin < bytes.size() && uchar(bytes[begin]) < 0x80)
            ++begin;
        QByteArrayView sample = bytes.sliced(begin);
        if (sample.size() > DetectorSampleBytes) {
            sample = sample.first(DetectorSampleBytes);
            if (const qsizetype lf = sample.lastIndexOf('\n'); lf >= 0)
                sample = sample.first(lf + 1);
        }
        return sample;
    }

    // Whether ICU's charset detector rates EUC-JP at least as high as any other charset.
    bool detectorNamesEucJp(QByteArrayView bytes)
    {
        bytes = detectorSample(bytes);
        UErrorCode status = U_ZERO_ERROR;
        const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(
            ucsdet_open(&status), &ucsdet_close);
        if (U_FAILURE(status) || !detector)
            return false;
        // The files are at most 512 MiB, well within the detector's 32-bit length.
        ucsdet_setText(detector.get(), bytes.data(), int32_t(bytes.size()), &status);
        int32_t count = 0;
        const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
        if (U_FAILURE(status) || !matches)
            return false;
        int32_t best = 0;
        int32_t eucJp = 0;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t confidence = ucsdet_getConfidence(matches[i], &status);
            const char* name = ucsdet_getName(matches[i], &status);
            if (U_FAILURE(status))
                return false;
            best = std::max(best, confidence);
            if (name && std::strcmp(name, "EUC-JP") == 0)
                eucJp = std::max(eucJp, confidence);
        }
        return eucJp > 0 && eucJp == best;
    }

    // ---- UTF-8

    constexpr quint64 HighBits = 0x8080808080808080ULL;

    enum class Utf8Scan { Ascii, MultiByte, Invalid };

    // One pass over `bytes`: whether they are ASCII, valid UTF-8 with a multi-byte sequence, or
    // not UTF-8. It stops at the first invalid byte. A two-byte sequence of 0xC2 to 0xDF and
    // 0xA1 to 0xBF is also two half-width katakana of code page 932 ("ﾃｨ" is "è"); valid UTF-8
    // made only of such pairs counts as invalid, so that a short line of half-width katakana
    // stays code page 932. Japanese UTF-8 text always has three-byte sequences.
    // What one pass over UTF-8 bytes finds; it stops at the first invalid byte.
    struct Utf8Flags
    {
        bool invalid = false;
        bool multiByte = false;
        bool halfWidthPairs = false;
    };

    Utf8Flags scanUtf8Flags(QByteArrayView bytes)
    {
        const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
        const uchar* const end = p + bytes.size();
        bool multiByte = false;
        bool halfWidthPairs = false;
        while (p < end) {
            while (end - p >= 8) {
                quint64 word;
                std::memcpy(&word, p, 8);
                if (word & HighBits)
                    break;
                p += 8;
            }
            while (p < end && *p < 0x80)
                ++p;
            if (p == end)
                break;

            const uchar b = *p;
            int length;
            uchar low = 0x80;
            uchar high = 0xBF;
            if (b >= 0xC2 && b <= 0xDF) {
                length = 2;
            } else if (b >= 0xE0 && b <= 0xEF) {
                length = 3;
                if (b == 0xE0)
                    low = 0xA0; // no overlong forms
                else if (b == 0xED)
                    high = 0x9F; // no surrogates
            } else if (b >= 0xF0 && b <= 0xF4) {
                length = 4;
                if (b == 0xF0)
                    low = 0x90;
                else if (b == 0xF4)
                    high = 0x8F; // nothing above U+10FFFF
            } else {
                return { true, multiByte, halfWidthPairs };
            }
            if (end - p < length)
                return { true, multiByte, halfWidthPairs };
            for (int i = 1; i < length; ++i) {
                const uchar c = p[i];
                if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
                    return { true, multiByte, halfWidthPairs };
            }
            if (length > 2 || p[1] < 0xA1)
                multiByte = true;
            else
                halfWidthPairs = true;
            p += length;
        }
        return { false, multiByte, halfWidthPairs };
    }

    Utf8Scan utf8ScanOf(Utf8Flags flags)
    {
        if (flags.invalid)
            return Utf8Scan::Invalid;
        if (flags.multiByte)
            return Utf8Scan::MultiByte;
        return flags.halfWidthPairs ? Utf8Scan::Invalid : Utf8Scan::Ascii;
    }

    Utf8Scan scanUtf8(QByteArrayView bytes)
    {
        return utf8ScanOf(scanUtf8Flags(bytes));
    }

    // ---- UTF-16

    enum class Utf16Guess { No, LittleEndian, BigEndian };

    // The byte order whose high bytes the zeros of `units` code units show: the zeros of one
    // position must be two at least, an eighth of the units at least, and more than those of the
    // other position. Both the whole-bytes check and the piece-by-piece detector decide here.
    Utf16Guess utf16GuessFromZeros(qint64 units, qint64 zeroFirst, qint64 zeroSecond)
    {
        const auto dominates = [units](qint64 zeros, qint64 others) {
            return zeros >= 2 && zeros * 8 >= units && zeros > others;
        };
        if (dominates(zeroSecond, zeroFirst))
            return Utf16Guess::LittleEndian;
        if (dominates(zeroFirst, zeroSecond))
            return Utf16Guess::BigEndian;
        return Utf16Guess::No;
    }

    // UTF-16 without a byte-order mark: ASCII characters (separators and line ends at least)
    // have a zero high byte, so one position of the byte pairs holds many zero bytes. Text in
    // any 8-bit encoding has no zero bytes at all, so the common case costs one memchr. The
    // zeros must be at least an eighth of the characters and more than the zeros
    // of the other position (characters such as U+3000 or U+4E00 have a zero low byte), and no
    // character may be U+0000 (two aligned zero bytes are padding or binary, not text). A file
    // of an odd number of bytes is no UTF-16, and two zeros at least are asked for, so that a
    // stray zero byte in a short file of another encoding does not turn it into UTF-16.
    Utf16Guess guessUtf16(QByteArrayView bytes)
    {
        if (bytes.size() < 4 || bytes.size() % 2 != 0
            || !std::memchr(bytes.data(), 0, size_t(bytes.size())))
            return Utf16Guess::No;
        const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
        const qsizetype units = bytes.size() / 2;
        qsizetype zeroFirst = 0; // zero bytes at even offsets: high bytes of big-endian text
        qsizetype zeroSecond = 0;
        for (qsizetype i = 0; i < units; ++i) {
            const bool first = p[2 * i] == 0;
            const bool second = p[2 * i + 1] == 0;
            if (first && second)
                return Utf16Guess::No;
            zeroFirst += first;
            zeroSecond += second;
        }
        return utf16GuessFromZeros(units, zeroFirst, zeroSecond);
    }

    bool startsWith(QByteArrayView bytes, const char* mark)
    {
        return bytes.startsWith(QByteArrayView(mark));
    }

    constexpr const char* Utf8Bom = "\xEF\xBB\xBF";
    constexpr const char* Utf16LeBom = "\xFF\xFE";
    constexpr const char* Utf16BeBom = "\xFE\xFF";

} // namespace

bool isUtf16(DataEncoding encoding)
{
    return encoding == DataEncoding::Utf16Le || encoding == DataEncoding::Utf16LeWithBom
        || encoding == DataEncoding::Utf16Be || encoding == DataEncoding::Utf16BeWithBom;
}

DataEncoding detectDataEncoding(QByteArrayView bytes)
{
    if (startsWith(bytes, Utf8Bom))
        return DataEncoding::Utf8WithBom;
    if (startsWith(bytes, Utf16LeBom))
        return DataEncoding::Utf16LeWithBom;
    if (startsWith(bytes, Utf16BeBom))
        return DataEncoding::Utf16BeWithBom;
    switch (guessUtf16(bytes)) {
    case Utf16Guess::LittleEndian:
        return DataEncoding::Utf16Le;
    case Utf16Guess::BigEndian:
        return DataEncoding::Utf16Be;
    case Utf16Guess::No:
        break;
    }
    switch (scanUtf8(bytes)) {
    case Utf8Scan::Ascii:
        return DataEncoding::Ascii;
    case Utf8Scan::MultiByte:
        return DataEncoding::Utf8;
    case Utf8Scan::Invalid:
        break;
    }
    if (scanEucJp(bytes) == EucScan::Valid && detectorNamesEucJp(bytes))
        return DataEncoding::EucJp;
    return DataEncoding::Cp932;
}

// ---- Deciding from pieces

void DataEncodingDetector::add(QByteArrayView piece)
{
    if (piece.isEmpty())
        return;
    if (m_start.size() < 3)
        m_start += piece.first(std::min<qsizetype>(3 - m_start.size(), piece.size()));

    // Zero bytes by the position of their code unit, counted only where there are any.
    const uchar* p = reinterpret_cast<const uchar*>(piece.data());
    if (std::memchr(p, 0, size_t(piece.size()))) {
        for (qsizetype i = 0; i < piece.size(); ++i) {
            const bool even = (m_size + i) % 2 == 0;
            if (p[i] == 0) {
                if (even) {
                    ++m_zeroFirst;
                } else {
                    ++m_zeroSecond;
                    m_zeroUnit = m_zeroUnit || m_evenZero;
                }
            }
            m_evenZero = even && p[i] == 0;
        }
    } else {
        m_evenZero = false;
    }
    m_size += piece.size();
    if (m_choice != EncodingChoice::Auto)
        return;

    // A LF is never part of a sequence, so pieces that end after one scan as the whole.
    if (!m_utf8Invalid) {
        const Utf8Flags flags = scanUtf8Flags(piece);
        m_utf8Invalid = flags.invalid;
        m_utf8MultiByte = m_utf8MultiByte || flags.multiByte;
        m_utf8HalfWidthPairs = m_utf8HalfWidthPairs || flags.halfWidthPairs;
    }
    if (!m_eucInvalid) {
        const EucScan scan = scanEucJp(piece);
        m_eucInvalid = scan == EucScan::Invalid;
        m_eucValid = m_eucValid || scan == EucScan::Valid;
        // The detector's sample: from the first byte of 0x80 or above, one byte more than it
        // is shown, so that it is cut as the whole file's would be.
        if (!m_eucInvalid && m_sample.size() <= DetectorSampleBytes) {
            qsizetype from = 0;
            if (m_sample.isEmpty()) {
                while (from < piece.size() && uchar(piece[from]) < 0x80)
                    ++from;
            }
            const qsizetype take
                = std::min(piece.size() - from, DetectorSampleBytes + 1 - m_sample.size());
            m_sample += piece.sliced(from, take);
        }
    }
}

DataEncoding DataEncodingDetector::chosen() const
{
    switch (m_choice) {
    case EncodingChoice::Utf8:
        return startsWith(m_start, Utf8Bom) ? DataEncoding::Utf8WithBom : DataEncoding::Utf8;
    case EncodingChoice::Utf16:
        if (startsWith(m_start, Utf16LeBom))
            return DataEncoding::Utf16LeWithBom;
        if (startsWith(m_start, Utf16BeBom))
            return DataEncoding::Utf16BeWithBom;
        // ASCII text stored big end first has its zero bytes at the even offsets.
        return m_zeroFirst > m_zeroSecond ? DataEncoding::Utf16Be : DataEncoding::Utf16Le;
    case EncodingChoice::EucJp:
        return DataEncoding::EucJp;
    case EncodingChoice::ShiftJis:
    case EncodingChoice::Auto:
        break;
    }
    return DataEncoding::Cp932;
}

DataEncoding DataEncodingDetector::result() const
{
    if (m_choice != EncodingChoice::Auto)
        return chosen();
    if (startsWith(m_start, Utf8Bom))
        return DataEncoding::Utf8WithBom;
    if (startsWith(m_start, Utf16LeBom))
        return DataEncoding::Utf16LeWithBom;
    if (startsWith(m_start, Utf16BeBom))
        return DataEncoding::Utf16BeWithBom;
    if (m_size >= 4 && m_size % 2 == 0 && !m_zeroUnit) {
        switch (utf16GuessFromZeros(m_size / 2, m_zeroFirst, m_zeroSecond)) {
        case Utf16Guess::LittleEndian:
            return DataEncoding::Utf16Le;
        case Utf16Guess::BigEndian:
            return DataEncoding::Utf16Be;
        case Utf16Guess::No:
            break;
        }
    }
    switch (utf8ScanOf({ m_utf8Invalid, m_utf8MultiByte, m_utf8HalfWidthPairs })) {
    case Utf8Scan::Ascii:
        return DataEncoding::Ascii;
    case Utf8Scan::MultiByte:
        return DataEncoding::Utf8;
    case Utf8Scan::Invalid:
        break;
    }
    if (!m_eucInvalid && m_eucValid && detectorNamesEucJp(m_sample))
        return DataEncoding::EucJp;
    return DataEncoding::Cp932;
}

QString encodingChoiceName(EncodingChoice choice)
{
    switch (choice) {
    case EncodingChoice::ShiftJis:
        return QStringLiteral("SJIS");
    case EncodingChoice::Utf8:
        return QStringLiteral("UTF8");
    case EncodingChoice::Utf16:
        return QStringLiteral("UTF16");
    case EncodingChoice::EucJp:
        return QStringLiteral("EUCJP");
    case EncodingChoice::Auto:
        break;
    }
    return {};
}

EncodingChoice encodingChoiceFromName(QStringView name)
{
    for (const EncodingChoice choice : { EncodingChoice::ShiftJis, EncodingChoice::Utf8,
             EncodingChoice::Utf16, EncodingChoice::EucJp }) {
        if (name.compare(encodingChoiceName(choice), Qt::CaseInsensitive) == 0)
            return choice;
    }
    return EncodingChoice::Auto;
}

QString encodingDisplayName(DataEncoding encoding)
{
    switch (encoding) {
    case DataEncoding::Ascii:
        return QStringLiteral("ASCII");
    case DataEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case DataEncoding::Utf8WithBom:
        return QStringLiteral("UTF-8 (BOM付き)");
    case DataEncoding::Utf16Le:
        return QStringLiteral("UTF-16LE");
    case DataEncoding::Utf16LeWithBom:
        return QStringLiteral("UTF-16LE (BOM付き)");
    case DataEncoding::Utf16Be:
        return QStringLiteral("UTF-16BE");
    case DataEncoding::Utf16BeWithBom:
        return QStringLiteral("UTF-16BE (BOM付き)");
    case DataEncoding::EucJp:
        return QStringLiteral("EUC-JP");
    case DataEncoding::Cp932:
        break;
    }
    return QStringLiteral("Shift_JIS");
}

QString decodeAs(QByteArrayView bytes, DataEncoding encoding)
{
    switch (encoding) {
    case DataEncoding::Ascii:
        return QString::fromLatin1(bytes);
    case DataEncoding::Utf8:
        return QString::fromUtf8(bytes);
    case DataEncoding::Utf8WithBom:
        return QString::fromUtf8(startsWith(bytes, Utf8Bom) ? bytes.sliced(3) : bytes);
    case DataEncoding::Utf16Le:
        return decodeUtf16(bytes, false);
    case DataEncoding::Utf16LeWithBom:
        return decodeUtf16(startsWith(bytes, Utf16LeBom) ? bytes.sliced(2) : bytes, false);
    case DataEncoding::Utf16Be:
        return decodeUtf16(bytes, true);
    case DataEncoding::Utf16BeWithBom:
        return decodeUtf16(startsWith(bytes, Utf16BeBom) ? bytes.sliced(2) : bytes, true);
    case DataEncoding::EucJp:
        return decodeEucJp(bytes);
    case DataEncoding::Cp932:
        break;
    }
    return decodeCp932(bytes);
}

QString decodeDataText(QByteArrayView bytes)
{
    return decodeAs(bytes, detectDataEncoding(bytes));
}

QString decodeCp932(QByteArrayView bytes)
{
    const Cp932Table& table = cp932Table();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    while (p < end) {
        const uchar b = *p++;
        if (b < 0x80) {
            *out++ = b;
        } else if (!isCp932Lead(b)) {
            *out++ = table.single[b];
        } else if (p == end) {
            *out++ = Replacement;
        } else if (const char16_t c = table.pairs[(b - 0x80) * 256 + *p]) {
            *out++ = c;
            ++p;
        } else {
            // The byte after the lead is read again on its own.
            *out++ = Replacement;
        }
    }
    text.truncate(out - begin);
    return text;
}

QString decodeEucJp(QByteArrayView bytes)
{
    const EucJpTable& table = eucJpTable();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* const end = p + bytes.size();
    const auto index = [](uchar first, uchar second) {
        return std::size_t(first - 0xA1) * 94 + std::size_t(second - 0xA1);
    };
    while (p < end) {
        const uchar b = *p++;
        char16_t c = Replacement;
        if (b < 0x80) {
            c = b;
        } else if (b == 0x8E) {
            if (p < end && isHalfWidthKatakanaByte(*p))
                c = char16_t(0xFF61 + (*p++ - 0xA1));
        } else if (b == 0x8F) {
            if (end - p >= 2 && isEucByte(p[0]) && isEucByte(p[1])) {
                if (const char16_t mapped = table.jis0212[index(p[0], p[1])]) {
                    c = mapped;
                    p += 2;
                }
            }
        } else if (isEucByte(b) && p < end && isEucByte(*p)) {
            if (const char16_t mapped = table.jis0208[index(b, *p)]) {
                c = mapped;
                ++p;
            }
        }
        // Anything else, including a pair without a character, is one U+FFFD for the first
        // byte; the bytes after it are read again on their own.
        *out++ = c;
    }
    text.truncate(out - begin);
    return text;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units + (bytes.size() % 2), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
    const auto unitAt = [p, bigEndian](qsizetype i) {
        const uchar a = p[2 * i];
        const uchar b = p[2 * i + 1];
        return bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
    };
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t c = unitAt(i);
        if (c < 0xD800 || c > 0xDFFF) {
            *out++ = c;
        } else if (c <= 0xDBFF && i + 1 < units && unitAt(i + 1) >= 0xDC00
            && unitAt(i + 1) <= 0xDFFF) {
            *out++ = c;
            *out++ = unitAt(++i);
        } else {
            *out++ = Replacement;
        }
    }
    if (bytes.size() % 2)
        *out++ = Replacement;
    text.truncate(out - begin);
    return text;
}

Cp932Converter qtCp932Converter()
{
    Cp932Converter converter;
    converter.decode = [](QByteArrayView bytes) {
        QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
        return decoder.isValid() ? decoder.decode(bytes) : QString();
    };
    converter.encode = [](QStringView text) {
        QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
        return encoder.isValid() ? QByteArray(encoder.encode(text)) : QByteArray();
    };
    return converter;
}

bool cp932ConverterWorks(const Cp932Converter& converter)
{
    if (!converter.decode || !converter.encode)
        return false;
    struct Sample
    {
        const char* bytes;
        const char16_t* text;
    };
    static constexpr Sample Samples[] = {
        { "\x93\xFA\x96\x7B\x8C\xEA", u"日本語" },
        { "\x82\xA0\x83\x41", u"あア" },
        { "\xB1\xDF", u"ｱﾟ" }, // half-width katakana, one byte each
        { "\x87\x40\xFA\x40", u"①ⅰ" }, // rows that only the Microsoft variant has
        { "\x81\x60\x81\x7C", u"～－" }, // Microsoft's mapping: U+FF5E, U+FF0D
        { "A,1\r\n", u"A,1\r\n" },
    };
    for (const Sample& sample : Samples) {
        const QByteArrayView bytes(sample.bytes);
        const QString text = QString::fromUtf16(sample.text);
        if (converter.decode(bytes) != text || converter.encode(text) != bytes)
            return false;
    }
    return true;
}

} // namespace korvanta
