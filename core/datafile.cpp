#include "core/datafile.h"

#include "core/csvline.h"
#include "core/displaytext.h"
#include "core/lineends.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

    FileCheck tooManyItems()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("ファイルのデーターが多すぎるので、読み込めません。"));
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

    // Line 1 of a file's first bytes (or all of them), in the file's text form. `complete` (if
    // given) tells whether the line ended within `bytes`; a line that runs to their end is only
    // complete when they are the whole file (`atEnd`).
    QString firstLineIn(QByteArrayView bytes, TextForm form, bool* tooLong, bool atEnd = true,
        bool* complete = nullptr)
    {
        if (tooLong)
            *tooLong = false;
        qsizetype lineBytes;
        qsizetype available;
        QString text;
        if (isUtf16(form.encoding)) {
            // Decoded first: CR and LF are code units here, not bytes.
            text = decodeAs(bytes, form.encoding);
            const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
            const char16_t* end = begin + text.size();
            const qsizetype length = firstLineLength(begin, end, form.lineEnd);
            available = text.size();
            text.truncate(length);
            lineBytes = 2 * length;
            if (complete)
                *complete = atEnd || length < available;
        } else {
            // CR and LF are never part of a multi-byte character in the other encodings, so
            // the line's bytes end right before its line end and only they are decoded.
            const char* begin = bytes.data();
            const char* end = begin + bytes.size();
            lineBytes = firstLineLength(begin, end, form.lineEnd);
            if (complete)
                *complete = atEnd || lineBytes < bytes.size();
            if (lineBytes <= MaxFirstLineBytes)
                text = decodeAs(bytes.first(lineBytes), form.encoding);
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

    // Large files are read and decoded in pieces of about this size, so that progress can be
    // told in between.
    constexpr qint64 PieceBytes = qint64(8) << 20;

    FileCheck tooLarge()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("ファイルが大きすぎるので、読み込めません（512MBまで）。"));
    }

    // The whole data file at `path` (read only), in pieces; `progress` (if given) hears the share
    // read so far in percent.
    WholeFile readWholeFile(const QString& path, const std::function<void(int)>& progress = {})
    {
        const QFileInfo info(path);
        if (const FileCheck check = checkDataFile(info); check.kind != ReadFailureKind::None)
            return { check, {} };
        if (info.size() > MaxDataFileBytes)
            return { tooLarge(), {} };

        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return { openFailure(file), {} };
        WholeFile whole;
        const qint64 expected = info.size();
        whole.bytes.resize(expected);
        qint64 done = 0;
        while (done < expected) {
            const qint64 n
                = file.read(whole.bytes.data() + done, std::min(PieceBytes, expected - done));
            if (n < 0)
                return { readFailure(file), {} };
            if (n == 0)
                break; // the file has become shorter since
            done += n;
            if (progress)
                progress(int(done * 100 / expected));
        }
        whole.bytes.truncate(done);
        // A file that grew since is read to its end all the same.
        if (done == expected) {
            const QByteArray rest = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return { readFailure(file), {} };
            if (!rest.isEmpty()) {
                if (whole.bytes.size() + rest.size() > MaxDataFileBytes)
                    return { tooLarge(), {} };
                whole.bytes.append(rest);
            }
        }
        file.close();
        if (whole.bytes.isEmpty())
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {} };
        return whole;
    }

    // Up to `limit` first bytes of the data file at `path`; `atEnd` tells whether they are all of
    // it.
    WholeFile readFirstBytes(const QString& path, qint64 limit, bool* atEnd)
    {
        const QFileInfo info(path);
        if (const FileCheck check = checkDataFile(info); check.kind != ReadFailureKind::None)
            return { check, {} };
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return { openFailure(file), {} };
        WholeFile first;
        first.bytes = file.read(limit);
        if (file.error() != QFileDevice::NoError)
            return { readFailure(file), {} };
        *atEnd = first.bytes.size() < limit || file.atEnd();
        if (first.bytes.isEmpty())
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {} };
        return first;
    }

    // The text form of a whole file's bytes.
    TextForm textFormOf(QByteArrayView bytes)
    {
        TextForm form;
        form.encoding = detectDataEncoding(bytes);
        if (isUtf16(form.encoding)) {
            // CR and LF are code units here, not bytes.
            const QString text = decodeAs(bytes, form.encoding);
            const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
            form.lineEnd = lineEndOf(begin, begin + text.size());
        } else {
            form.lineEnd = lineEndOf(bytes.data(), bytes.data() + bytes.size());
        }
        return form;
    }

    // `bytes` decoded as `encoding`, in pieces that end after a LF: a LF is never part of a
    // multi-byte character in the 8-bit encodings, so the pieces decode exactly as the whole.
    // UTF-16 is decoded at once. `progress` (if given) hears the share decoded in percent.
    QString decodeInPieces(
        QByteArrayView bytes, DataEncoding encoding, const std::function<void(int)>& progress)
    {
        if (isUtf16(encoding) || bytes.size() <= PieceBytes) {
            QString text = decodeAs(bytes, encoding);
            if (progress)
                progress(100);
            return text;
        }
        // Characters never outnumber the bytes in these encodings.
        QString text;
        text.reserve(bytes.size());
        qsizetype done = 0;
        while (done < bytes.size()) {
            qsizetype cut = std::min<qsizetype>(done + PieceBytes, bytes.size());
            if (cut < bytes.size()) {
                const qsizetype lf = bytes.sliced(done, cut - done).lastIndexOf('\n');
                if (lf >= 0)
                    cut = done + lf + 1;
            }
            // Only the first piece can begin with a byte-order mark.
            const DataEncoding pieceEncoding
                = done > 0 && encoding == DataEncoding::Utf8WithBom ? DataEncoding::Utf8 : encoding;
            text.append(decodeAs(bytes.sliced(done, cut - done), pieceEncoding));
            done = cut;
            if (progress)
                progress(int(done * 100 / bytes.size()));
        }
        return text;
    }

    FileCheck firstLineTooLong()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("1行目が長すぎるので、項目名を読み込めません。"));
    }

} // namespace

QString firstLineOfData(QByteArrayView bytes, bool* tooLong)
{
    return firstLineIn(bytes, textFormOf(bytes), tooLong);
}

// ---- The text forms of files read lately

namespace {

    // More files than this are not remembered; the oldest is forgotten first.
    constexpr size_t MemoEntries = 32;

} // namespace

TextFormMemo::Entry TextFormMemo::stamp(const QString& path)
{
    const QFileInfo info(path);
    Entry entry;
    entry.path = info.absoluteFilePath();
    entry.size = info.size();
    const QDateTime modified = info.lastModified();
    entry.modified = modified.isValid() ? modified.toMSecsSinceEpoch() : -1;
    const QDateTime changed = info.metadataChangeTime();
    entry.changed = changed.isValid() ? changed.toMSecsSinceEpoch() : -1;
    return entry;
}

std::optional<TextForm> TextFormMemo::find(const QString& path) const
{
    if (m_entries.empty())
        return std::nullopt;
    const Entry now = stamp(path);
    for (const Entry& entry : m_entries) {
        if (entry.path == now.path) {
            if (entry.size == now.size && entry.modified == now.modified
                && entry.changed == now.changed && now.modified >= 0)
                return entry.form;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void TextFormMemo::remember(const QString& path, TextForm form)
{
    Entry entry = stamp(path);
    entry.form = form;
    std::erase_if(m_entries, [&](const Entry& e) { return e.path == entry.path; });
    if (m_entries.size() >= MemoEntries)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(std::move(entry));
}

FirstLineResult readFirstLine(const QString& path, TextFormMemo* memo)
{
    FirstLineResult result;
    try {
        bool tooLong = false;
        const std::optional<TextForm> known = memo ? memo->find(path) : std::nullopt;
        if (known) {
            // Only as many bytes as the line needs, more and more of them while it goes on.
            const qint64 most = 2 * MaxFirstLineBytes + 4;
            for (qint64 limit = qint64(64) << 10;; limit = std::min(most, limit * 8)) {
                bool atEnd = false;
                const WholeFile first = readFirstBytes(path, limit, &atEnd);
                if (first.check.kind != ReadFailureKind::None)
                    return failed<FirstLineResult>(first.check);
                bool complete = false;
                result.line = firstLineIn(first.bytes, *known, &tooLong, atEnd, &complete);
                if (tooLong || complete)
                    break;
                if (limit == most) {
                    tooLong = true;
                    break;
                }
            }
        } else {
            const WholeFile whole = readWholeFile(path);
            if (whole.check.kind != ReadFailureKind::None)
                return failed<FirstLineResult>(whole.check);
            const TextForm form = textFormOf(whole.bytes);
            if (memo)
                memo->remember(path, form);
            result.line = firstLineIn(whole.bytes, form, &tooLong);
        }
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
    return name.first(keep) + ShortenedNameMark.toString();
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

ItemNamesResult readItemNames(const QString& path, TextFormMemo* memo)
{
    const FirstLineResult line = readFirstLine(path, memo);
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

ParsedDataText parseDataBytes(QByteArrayView bytes, int recordLimit)
{
    ParsedDataText parsed;
    const TextForm form = textFormOf(bytes);
    bool tooLong = false;
    const QString line = firstLineIn(bytes, form, &tooLong);
    if (tooLong) {
        parsed.names.kind = ReadFailureKind::Error;
        parsed.names.description = firstLineTooLong().description;
        return parsed;
    }
    parsed.names = itemNamesFromLine(line);
    if (!parsed.names.ok)
        return parsed;
    parsed.data = DataSet::fromFileText(
        decodeAs(bytes, form.encoding), parsed.names.itemCount(), &parsed.truncated, recordLimit);
    return parsed;
}

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const DataFileReadOptions& options)
{
    DataFileReadResult result;
    const auto report = [&](ReadStage stage, int percent) {
        if (options.progress)
            options.progress(stage, percent);
    };
    try {
        // Reading is the first half of the reading stage, decoding the second.
        WholeFile whole
            = readWholeFile(path, [&](int percent) { report(ReadStage::Reading, percent / 2); });
        if (whole.check.kind != ReadFailureKind::None)
            return failed<DataFileReadResult>(whole.check);
        const std::optional<TextForm> known
            = options.memo ? options.memo->find(path) : std::nullopt;
        const DataEncoding encoding = known ? known->encoding : detectDataEncoding(whole.bytes);
        QString text = decodeInPieces(whole.bytes, encoding,
            [&](int percent) { report(ReadStage::Reading, 50 + percent / 2); });
        if (options.memo && !known) {
            TextForm form { encoding, LineEnd::CrLf };
            if (isUtf16(encoding)) {
                const char16_t* begin = reinterpret_cast<const char16_t*>(text.utf16());
                form.lineEnd = lineEndOf(begin, begin + text.size());
            } else {
                form.lineEnd
                    = lineEndOf(whole.bytes.data(), whole.bytes.data() + whole.bytes.size());
            }
            options.memo->remember(path, form);
        }
        whole.bytes = QByteArray();
        if (options.onRecordLimit && DataSet::exceedsRecordLimit(text, options.recordLimit))
            options.onRecordLimit();
        if (options.beforeSplitting)
            options.beforeSplitting();
        result.data = DataSet::fromFileText(text, itemCount, &result.truncated, options.recordLimit,
            [&](int percent) { report(ReadStage::Splitting, percent); });
    } catch (const std::bad_alloc&) {
        return failed<DataFileReadResult>(memoryFailure());
    } catch (const std::length_error&) {
        return failed<DataFileReadResult>(tooManyItems());
    }
    result.ok = true;
    return result;
}

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const std::function<void()>& beforeSplitting)
{
    DataFileReadOptions options;
    options.beforeSplitting = beforeSplitting;
    return readDataFile(path, itemCount, options);
}

} // namespace korvanta
