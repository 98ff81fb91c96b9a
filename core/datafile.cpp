#include "core/datafile.h"

#include "core/csvline.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

namespace korvanta {

QString recordLimitMessage()
{
    return RecordLimitMessageLine1.toString() + QStringLiteral("\r\n")
        + RecordLimitMessageLine2.toString();
}

// ---- Text decoding

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

    constexpr quint64 HighBits = 0x8080808080808080ULL;

    enum class Utf8Scan { Ascii, MultiByte, Invalid };

    // One pass over `bytes`: whether they are ASCII, valid UTF-8 with a multi-byte sequence, or
    // not UTF-8. With `complete` false a valid but unfinished sequence at the end is accepted.
    Utf8Scan scanUtf8(QByteArrayView bytes, bool complete)
    {
        const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
        const uchar* const end = p + bytes.size();
        bool multiByte = false;
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
                return Utf8Scan::Invalid;
            }
            for (int i = 1; i < length; ++i) {
                if (p + i == end)
                    return complete ? Utf8Scan::Invalid
                                    : (multiByte ? Utf8Scan::MultiByte : Utf8Scan::Ascii);
                const uchar c = p[i];
                if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
                    return Utf8Scan::Invalid;
            }
            multiByte = true;
            p += length;
        }
        return multiByte ? Utf8Scan::MultiByte : Utf8Scan::Ascii;
    }

    bool startsWithBom(QByteArrayView bytes)
    {
        return bytes.startsWith("\xEF\xBB\xBF");
    }

    QString decodeAs(QByteArrayView bytes, DataEncoding encoding)
    {
        switch (encoding) {
        case DataEncoding::Ascii:
            return QString::fromLatin1(bytes);
        case DataEncoding::Utf8:
            return QString::fromUtf8(bytes);
        case DataEncoding::Utf8WithBom:
            return QString::fromUtf8(startsWithBom(bytes) ? bytes.sliced(3) : bytes);
        case DataEncoding::Cp932:
            break;
        }
        return decodeCp932(bytes);
    }

} // namespace

DataEncoding detectDataEncoding(QByteArrayView bytes, bool complete)
{
    if (startsWithBom(bytes))
        return DataEncoding::Utf8WithBom;
    switch (scanUtf8(bytes, complete)) {
    case Utf8Scan::Ascii:
        return DataEncoding::Ascii;
    case Utf8Scan::MultiByte:
        return DataEncoding::Utf8;
    case Utf8Scan::Invalid:
        break;
    }
    return DataEncoding::Cp932;
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

QString decodeDataText(QByteArrayView bytes)
{
    return decodeAs(bytes, detectDataEncoding(bytes));
}

// ---- Opening a data file

namespace {

    struct FileCheck
    {
        ReadFailureKind kind = ReadFailureKind::None;
        QString description;
    };

    FileCheck failure(ReadFailureKind kind, const QString& description)
    {
        return { kind, description };
    }

    QString withReason(QStringView what, const QString& reason)
    {
        return reason.isEmpty() ? what.toString() : what.toString() + QLatin1Char('\n') + reason;
    }

    // The checks before a data file is opened: it must exist, be a regular file (a folder or a
    // device named like a data file is refused, and a pipe would block) and hold something.
    FileCheck checkDataFile(const QFileInfo& info)
    {
        if (!info.exists())
            return failure(ReadFailureKind::Missing, MissingFileMessage.toString());
        if (info.isDir())
            return failure(ReadFailureKind::Error,
                QStringLiteral("フォルダーなので、データーファイルとして読み込めません。"));
        if (!info.isFile())
            return failure(ReadFailureKind::Error,
                QStringLiteral("通常のファイルではないので、読み込めません。"));
        if (info.size() == 0)
            return failure(ReadFailureKind::Empty, EmptyFileMessage.toString());
        return {};
    }

    FileCheck openFailure(const QFile& file)
    {
        return failure(
            ReadFailureKind::Error, withReason(u"ファイルを開けません。", file.errorString()));
    }

    FileCheck readFailure(const QFile& file)
    {
        return failure(
            ReadFailureKind::Error, withReason(u"ファイルを読み込めません。", file.errorString()));
    }

    FileCheck memoryFailure()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("メモリーが足りないので、ファイルを読み込めません。"));
    }

    template <typename Result> Result failed(const FileCheck& check)
    {
        Result result;
        result.kind = check.kind;
        result.description = check.description;
        return result;
    }

} // namespace

// ---- The first line and the item names

FirstLineResult readFirstLine(const QString& path)
{
    const QFileInfo info(path);
    if (const FileCheck check = checkDataFile(info); check.kind != ReadFailureKind::None)
        return failed<FirstLineResult>(check);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed<FirstLineResult>(openFailure(file));

    QByteArray prefix;
    qsizetype cr = -1;
    bool atEnd = false;
    try {
        while (cr < 0 && !atEnd) {
            const QByteArray chunk = file.read(FirstLineChunkBytes);
            if (file.error() != QFileDevice::NoError)
                return failed<FirstLineResult>(readFailure(file));
            const qsizetype from = prefix.size();
            prefix.append(chunk);
            cr = prefix.indexOf('\r', from);
            atEnd = chunk.isEmpty() || file.atEnd();
            if (cr < 0 && !atEnd && prefix.size() >= MaxFirstLineBytes)
                return failed<FirstLineResult>(failure(ReadFailureKind::Error,
                    QStringLiteral("1行目が長すぎるので、項目名を読み込めません。")));
        }
    } catch (const std::bad_alloc&) {
        return failed<FirstLineResult>(memoryFailure());
    }
    file.close();
    if (prefix.isEmpty())
        return failed<FirstLineResult>(
            failure(ReadFailureKind::Empty, EmptyFileMessage.toString()));

    // CR is never part of a multi-byte character in either encoding, so the line's bytes end
    // right before it.
    const DataEncoding encoding = detectDataEncoding(prefix, atEnd);
    FirstLineResult result;
    result.ok = true;
    result.line = decodeAs(QByteArrayView(prefix).first(cr >= 0 ? cr : prefix.size()), encoding);
    return result;
}

QString shortenItemName(const QString& name, int k)
{
    if (name.isEmpty())
        return QStringLiteral("無題 ") + QString::number(k);
    if (name.size() <= 7)
        return name;
    // Never leave half of a surrogate pair behind.
    const qsizetype keep = name.at(4).isHighSurrogate() ? 4 : 5;
    return name.first(keep) + QStringLiteral("… ");
}

ItemNamesResult itemNamesFromLine(QStringView firstLine)
{
    ItemNamesResult result;
    const QString header = CsvLineToTab(firstLine);
    if (header.count(u'\t') >= MaxItemCount) {
        result.kind = ReadFailureKind::Error;
        result.description = QStringLiteral("項目の数が32,767を超えるので、読み込めません。");
        return result;
    }
    result.ok = true;
    result.headerTexts = header.split(u'\t');
    result.itemNames.reserve(result.headerTexts.size() + 1);
    result.itemNames.append(QString());
    for (qsizetype k = 1; k <= result.headerTexts.size(); ++k)
        result.itemNames.append(shortenItemName(result.headerTexts.at(k - 1), int(k)));
    return result;
}

ItemNamesResult readItemNames(const QString& path)
{
    const FirstLineResult line = readFirstLine(path);
    if (!line.ok) {
        ItemNamesResult result;
        result.kind = line.kind;
        result.description = line.description;
        return result;
    }
    return itemNamesFromLine(line.line);
}

namespace {

    int roundHalfEven(double x)
    {
        if (!(x > 0)) // negative widths (and NaN) are no widths
            return 0;
        if (x >= double(std::numeric_limits<int>::max()))
            return std::numeric_limits<int>::max();
        double whole = std::floor(x);
        const double fraction = x - whole;
        if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
            whole += 1;
        return int(whole);
    }

} // namespace

int firstColumnWidth(int viewFormWidth, int itemCount)
{
    if (itemCount < 1)
        return 0;
    return roundHalfEven(double(viewFormWidth) / itemCount * 0.8);
}

QList<int> columnWidths(int viewFormWidth, int itemCount)
{
    QList<int> widths;
    if (itemCount < 1)
        return widths;
    widths.reserve(itemCount);
    const int first = firstColumnWidth(viewFormWidth, itemCount);
    widths.append(first);
    const int later = roundHalfEven(first * 0.7);
    for (int k = 2; k <= itemCount; ++k)
        widths.append(later);
    return widths;
}

// ---- The whole file

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const std::function<void()>& beforeSplitting)
{
    const QFileInfo info(path);
    if (const FileCheck check = checkDataFile(info); check.kind != ReadFailureKind::None)
        return failed<DataFileReadResult>(check);
    const auto tooLarge = [] {
        return failure(ReadFailureKind::Error,
            QStringLiteral("ファイルが大きすぎるので、読み込めません（512MBまで）。"));
    };
    if (info.size() > MaxDataFileBytes)
        return failed<DataFileReadResult>(tooLarge());

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed<DataFileReadResult>(openFailure(file));

    DataFileReadResult result;
    try {
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return failed<DataFileReadResult>(readFailure(file));
        file.close();
        if (bytes.isEmpty())
            return failed<DataFileReadResult>(
                failure(ReadFailureKind::Empty, EmptyFileMessage.toString()));
        if (bytes.size() > MaxDataFileBytes)
            return failed<DataFileReadResult>(tooLarge());

        QString text = decodeDataText(bytes);
        bytes = QByteArray();
        if (beforeSplitting)
            beforeSplitting();
        result.data = DataSet::fromFileText(text, itemCount, &result.truncated);
    } catch (const std::bad_alloc&) {
        return failed<DataFileReadResult>(memoryFailure());
    } catch (const std::length_error&) {
        return failed<DataFileReadResult>(memoryFailure());
    }
    result.ok = true;
    return result;
}

} // namespace korvanta
