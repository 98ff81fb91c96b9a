#include "core/datafile.h"

#include "core/csvline.h"
#include "core/lineends.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

namespace korvanta {

QString recordLimitMessage()
{
    return RecordLimitMessageLine1.toString() + QStringLiteral("\r\n")
        + RecordLimitMessageLine2.toString();
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

namespace {

    QString firstLineIn(QByteArrayView bytes, DataEncoding encoding, bool* tooLong)
    {
        if (tooLong)
            *tooLong = false;
        qsizetype lineBytes;
        QString text;
        if (isUtf16(encoding)) {
            // Decoded first: CR and LF are code units here, not bytes.
            text = decodeAs(bytes, encoding);
            const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
            const char16_t* end = begin + text.size();
            const qsizetype length = firstLineLength(begin, end, lineEndOf(begin, end));
            text.truncate(length);
            lineBytes = 2 * length;
        } else {
            // CR and LF are never part of a multi-byte character in the other encodings, so
            // the line's bytes end right before its line end and only they are decoded.
            const char* begin = bytes.data();
            const char* end = begin + bytes.size();
            lineBytes = firstLineLength(begin, end, lineEndOf(begin, end));
            if (lineBytes <= MaxFirstLineBytes)
                text = decodeAs(bytes.first(lineBytes), encoding);
        }
        if (lineBytes > MaxFirstLineBytes) {
            if (tooLong)
                *tooLong = true;
            return {};
        }
        return text;
    }

    struct WholeFile
    {
        FileCheck check;
        QByteArray bytes;
    };

    // The whole data file at `path`, read in one operation (read only).
    WholeFile readWholeFile(const QString& path)
    {
        const QFileInfo info(path);
        if (const FileCheck check = checkDataFile(info); check.kind != ReadFailureKind::None)
            return { check, {} };
        const auto tooLarge = [] {
            return failure(ReadFailureKind::Error,
                QStringLiteral("ファイルが大きすぎるので、読み込めません（512MBまで）。"));
        };
        if (info.size() > MaxDataFileBytes)
            return { tooLarge(), {} };

        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return { openFailure(file), {} };
        WholeFile whole;
        whole.bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return { readFailure(file), {} };
        file.close();
        if (whole.bytes.isEmpty())
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {} };
        if (whole.bytes.size() > MaxDataFileBytes)
            return { tooLarge(), {} };
        return whole;
    }

    FileCheck firstLineTooLong()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("1行目が長すぎるので、項目名を読み込めません。"));
    }

} // namespace

QString firstLineOfData(QByteArrayView bytes, bool* tooLong)
{
    return firstLineIn(bytes, detectDataEncoding(bytes), tooLong);
}

FirstLineResult readFirstLine(const QString& path)
{
    FirstLineResult result;
    try {
        const WholeFile whole = readWholeFile(path);
        if (whole.check.kind != ReadFailureKind::None)
            return failed<FirstLineResult>(whole.check);
        bool tooLong = false;
        result.line = firstLineOfData(whole.bytes, &tooLong);
        if (tooLong)
            return failed<FirstLineResult>(firstLineTooLong());
    } catch (const std::bad_alloc&) {
        return failed<FirstLineResult>(memoryFailure());
    }
    result.ok = true;
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

QString columnWidthsText(const QList<int>& widths)
{
    QStringList parts;
    parts.reserve(widths.size());
    for (const int w : widths)
        parts << QString::number(w);
    return parts.join(u',');
}

QList<int> columnWidthsFromText(const QString& text, int itemCount)
{
    QList<int> widths;
    if (itemCount < 1 || text.isEmpty())
        return widths;
    const QStringList parts = text.split(u',');
    if (parts.size() != itemCount)
        return widths;
    widths.reserve(itemCount);
    for (const QString& part : parts) {
        bool ok = false;
        const int w = part.toInt(&ok);
        if (!ok || w < 0)
            return {};
        widths.append(w);
    }
    return widths;
}

// ---- The whole file

ParsedDataText parseDataBytes(QByteArrayView bytes)
{
    ParsedDataText parsed;
    const DataEncoding encoding = detectDataEncoding(bytes);
    bool tooLong = false;
    const QString line = firstLineIn(bytes, encoding, &tooLong);
    if (tooLong) {
        parsed.names.kind = ReadFailureKind::Error;
        parsed.names.description = firstLineTooLong().description;
        return parsed;
    }
    parsed.names = itemNamesFromLine(line);
    if (!parsed.names.ok)
        return parsed;
    parsed.data = DataSet::fromFileText(
        decodeAs(bytes, encoding), parsed.names.itemCount(), &parsed.truncated);
    return parsed;
}

DataFileReadResult readDataFile(const QString& path, int itemCount,
    const std::function<void()>& beforeSplitting, const std::function<void()>& onRecordLimit)
{
    DataFileReadResult result;
    try {
        WholeFile whole = readWholeFile(path);
        if (whole.check.kind != ReadFailureKind::None)
            return failed<DataFileReadResult>(whole.check);
        QString text = decodeDataText(whole.bytes);
        whole.bytes = QByteArray();
        if (onRecordLimit && DataSet::exceedsRecordLimit(text))
            onRecordLimit();
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
