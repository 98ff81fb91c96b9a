#include "core/datafile.h"

#include "core/csvline.h"
#include "core/displaytext.h"
#include "core/filenames.h"
#include "core/lineends.h"
#include "core/memorypages.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

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

    FileCheck openFailure(const QString& reason)
    {
        return failure(ReadFailureKind::Error, withReason(u"ファイルを開けません。", reason));
    }

    // Opens the data file at `path` for reading and checks what was opened, not the name, so that
    // nothing put in its place after a check is read: it must exist, be a regular file (a folder
    // or a device named like a data file is refused) and hold something. It is opened without
    // waiting, so that a named pipe never blocks the opening; reading then waits as usual.
    // `size` gets the file's size.
    FileCheck openDataFile(const QString& path, QFile& file, qint64* size)
    {
        const int fd
            = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT || error == ENOTDIR)
                return failure(ReadFailureKind::Missing, MissingFileMessage.toString());
            return failure(ReadFailureKind::Error,
                withReason(u"ファイルを開けません。", qt_error_string(error)));
        }
        struct stat st = {};
        FileCheck check;
        if (::fstat(fd, &st) != 0)
            check = failure(ReadFailureKind::Error,
                withReason(u"ファイルを開けません。", qt_error_string(errno)));
        else if (S_ISDIR(st.st_mode))
            check = failure(ReadFailureKind::Error,
                QStringLiteral("フォルダーなので、データーファイルとして読み込めません。"));
        else if (!S_ISREG(st.st_mode))
            check = failure(ReadFailureKind::Error,
                QStringLiteral("通常のファイルではないので、読み込めません。"));
        else if (st.st_size == 0)
            check = failure(ReadFailureKind::Empty, EmptyFileMessage.toString());
        else if (const int flags = ::fcntl(fd, F_GETFL);
            flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
            check = failure(ReadFailureKind::Error,
                withReason(u"ファイルを開けません。", qt_error_string(errno)));
        if (check.kind != ReadFailureKind::None) {
            ::close(fd);
            return check;
        }
        if (!file.open(
                fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return openFailure(file.errorString());
        }
        *size = st.st_size;
        return {};
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

    std::atomic<qint64> bytesRead { 0 };

    // QFile::read, counted.
    qint64 readCounted(QFile& file, char* data, qint64 size)
    {
        const qint64 n = file.read(data, size);
        if (n > 0)
            bytesRead += n;
        return n;
    }

    QByteArray readCounted(QFile& file, qint64 size)
    {
        QByteArray bytes = file.read(size);
        bytesRead += bytes.size();
        return bytes;
    }

    template <typename Result> Result failed(const FileCheck& check)
    {
        Result result;
        result.kind = check.kind;
        result.description = check.description;
        return result;
    }

} // namespace

qint64 dataFileBytesRead()
{
    return bytesRead;
}

// ---- The first line and the item names

namespace {

    // Line 1 of a file's first bytes (or all of them), in the file's text form. `complete` (if
    // given) tells whether the line ended within `bytes`; a line that runs to their end is only
    // complete when they are the whole file (`atEnd`).
    QString firstLineIn(QByteArrayView bytes, TextForm form, bool* tooLong, bool atEnd = true,
        bool* complete = nullptr)
    {
        qsizetype lineBytes = 0;
        QString text = form.firstLine(bytes, MaxFirstLineBytes, &lineBytes, atEnd, complete);
        if (tooLong)
            *tooLong = lineBytes > MaxFirstLineBytes;
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

    // The text form of a file decided from its bytes given in order, in pieces that each end
    // after a LF byte but the last, as TextForm::of decides it from all of them at once: the
    // encoding, and the line end as lineEndOf tells it. The line end is looked for both in the
    // bytes and in the code units of either UTF-16 byte order, so that a UTF-16 file's line end
    // is known from its bytes without decoding them.
    class FormDecision
    {
    public:
        explicit FormDecision(EncodingChoice choice)
            : m_detector(choice)
        {
        }

        void add(QByteArrayView piece)
        {
            if (piece.isEmpty())
                return;
            m_detector.add(piece);
            // The byte `i` of the piece; the last bytes before it for negative ones.
            const auto at = [&](qsizetype i) { return i >= 0 ? piece[i] : m_tail[3 + i]; };
            if (m_leLfWaits) {
                // A LF byte at an even offset ended the last piece: a code unit when its
                // second byte is zero.
                if (piece[0] == '\0')
                    (m_leCrWaits ? m_le.crLf : m_le.anyLf) = true;
                m_leLfWaits = false;
            }
            for (qsizetype i = piece.indexOf('\n'); i >= 0 && !allCrLf();
                i = piece.indexOf('\n', i + 1)) {
                (at(i - 1) == '\r' ? m_bytes.crLf : m_bytes.anyLf) = true;
                if ((m_size + i) % 2 == 0) {
                    // 0A 00 in UTF-16LE, after 0D 00 for CR LF.
                    const bool cr = at(i - 2) == '\r' && at(i - 1) == '\0';
                    if (i + 1 == piece.size()) {
                        m_leLfWaits = true;
                        m_leCrWaits = cr;
                    } else if (piece[i + 1] == '\0') {
                        (cr ? m_le.crLf : m_le.anyLf) = true;
                    }
                } else if (at(i - 1) == '\0') {
                    // 00 0A in UTF-16BE, after 00 0D for CR LF.
                    (at(i - 3) == '\0' && at(i - 2) == '\r' ? m_be.crLf : m_be.anyLf) = true;
                }
            }
            for (qsizetype i = std::max<qsizetype>(0, piece.size() - 3); i < piece.size(); ++i) {
                m_tail[0] = m_tail[1];
                m_tail[1] = m_tail[2];
                m_tail[2] = piece[i];
            }
            m_size += piece.size();
        }

        // Whether a CR LF pair of bytes was seen: the line end of a file whose lines are in its
        // bytes is CR LF whatever follows.
        bool crLf() const { return m_bytes.crLf; }

        TextForm result() const
        {
            TextForm form;
            form.encoding = m_detector.result();
            const bool bigEndian = form.encoding == DataEncoding::Utf16Be
                || form.encoding == DataEncoding::Utf16BeWithBom;
            const Lines& lines = form.linesInBytes() ? m_bytes : bigEndian ? m_be : m_le;
            form.lineEnd = lines.crLf || !lines.anyLf ? LineEnd::CrLf : LineEnd::Lf;
            return form;
        }

    private:
        struct Lines
        {
            bool crLf = false;
            bool anyLf = false;
        };

        bool allCrLf() const { return m_bytes.crLf && m_le.crLf && m_be.crLf; }

        DataEncodingDetector m_detector;
        Lines m_bytes; // CR and LF as bytes
        Lines m_le; // as UTF-16LE code units
        Lines m_be; // as UTF-16BE code units
        bool m_leLfWaits = false; // the last piece ended in a LF byte at an even offset
        bool m_leCrWaits = false; // and a CR code unit came before it
        qint64 m_size = 0; // the bytes so far
        char m_tail[3] = {}; // the last three of them
    };

    // The whole data file at `path` (read only), in pieces of `pieceBytes`; `progress` (if given)
    // hears the share read so far in percent, and `decision` (if given) the bytes as they come,
    // in whole lines, so that the form is decided when the last byte is read.
    WholeFile readWholeFile(const QString& path, const std::function<void(int)>& progress = {},
        FormDecision* decision = nullptr, qint64 pieceBytes = PieceBytes)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return { check, {} };
        if (size > MaxDataFileBytes)
            return { tooLarge(), {} };

        WholeFile whole;
        const qint64 expected = size;
        whole.bytes.resize(expected);
        qint64 done = 0;
        qint64 decided = 0; // the bytes given to `decision`
        while (done < expected) {
            const qint64 size = std::min(pieceBytes, expected - done);
            if (expected >= qint64(ReadyAheadBytes))
                makePagesReady(
                    whole.bytes.data() + done, whole.bytes.data() + done + size, size_t(size));
            const qint64 n = readCounted(file, whole.bytes.data() + done, size);
            if (n < 0)
                return { readFailure(file), {} };
            if (n == 0)
                break; // the file has become shorter since
            if (decision) {
                // The bytes not given yet hold no LF before the new ones.
                const qsizetype lf
                    = QByteArrayView(whole.bytes.constData() + done, n).lastIndexOf('\n');
                if (lf >= 0) {
                    const qint64 end = done + lf + 1;
                    decision->add(QByteArrayView(
                        whole.bytes.constData() + decided, qsizetype(end - decided)));
                    decided = end;
                }
            }
            done += n;
            if (progress)
                progress(int(done * 100 / expected));
        }
        whole.bytes.truncate(done);
        // A file that grew since is read to its end all the same.
        if (done == expected) {
            const QByteArray rest = file.readAll();
            bytesRead += rest.size();
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
        if (decision)
            decision->add(QByteArrayView(whole.bytes).sliced(qsizetype(decided)));
        return whole;
    }

    // Up to `limit` first bytes of the data file at `path`; `atEnd` tells whether they are all of
    // it.
    WholeFile readFirstBytes(const QString& path, qint64 limit, bool* atEnd)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return { check, {} };
        WholeFile first;
        first.bytes = readCounted(file, limit);
        if (file.error() != QFileDevice::NoError)
            return { readFailure(file), {} };
        *atEnd = first.bytes.size() < limit || file.atEnd();
        if (first.bytes.isEmpty())
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {} };
        return first;
    }

    // Decoded text is split in pieces of about this many bytes, which stay in the processor's
    // cache between decoding and splitting.
    constexpr qsizetype SplitPieceBytes = qsizetype(64) << 10;

    // Decodes `bytes` (whole lines, but for the file's last) in pieces of about `pieceBytes`
    // that end after a LF, each split at once. `atStart`: whether the bytes begin the file.
    // Returns false once the splitter needs no more.
    bool decodeAndSplit(QByteArrayView bytes, TextForm form, bool atStart, qsizetype pieceBytes,
        DataSetSplitter& splitter)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const qsizetype cut = done + form.pieceEnd(bytes.sliced(done), pieceBytes);
            if (!splitter.add(form.decode(bytes.sliced(done, cut - done), atStart && done == 0)))
                return false;
            done = cut;
        }
        return true;
    }

    FileCheck firstLineTooLong()
    {
        return failure(ReadFailureKind::Error,
            QStringLiteral("1行目が長すぎるので、項目名を読み込めません。"));
    }

} // namespace

// ---- The text forms of files read lately

namespace {

    // More files than this are not remembered; the oldest is forgotten first.
    constexpr size_t MemoEntries = 32;

} // namespace

TextFormMemo::Stamp TextFormMemo::stamp(const QString& path)
{
    Stamp stamp;
    // The time first: a change after it gives the file a later time than this.
    stamp.takenAt = QDateTime::currentMSecsSinceEpoch();
    const PathStatus info = pathStatus(path);
    stamp.path = QFileInfo(path).absoluteFilePath();
    if (!info.exists)
        return stamp;
    stamp.size = info.size;
    const QDateTime modified = info.modified;
    stamp.modified = modified.isValid() ? modified.toMSecsSinceEpoch() : -1;
    const QDateTime changed = info.changed;
    stamp.changed = changed.isValid() ? changed.toMSecsSinceEpoch() : -1;
    return stamp;
}

std::optional<TextForm> TextFormMemo::find(const QString& path, EncodingChoice choice) const
{
    if (m_entries.empty())
        return std::nullopt;
    const Stamp now = stamp(path);
    for (const Entry& entry : m_entries) {
        if (entry.stamp.path == now.path) {
            if (entry.choice == choice && entry.stamp.sameFileState(now))
                return entry.form;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool TextFormMemo::remember(const Stamp& before, TextForm form, EncodingChoice choice)
{
    std::erase_if(m_entries, [&](const Entry& e) { return e.stamp.path == before.path; });
    // Unchanged since the stamp, and settled then: any later change gives a modification time
    // past the stamp's, which this one cannot be.
    const bool settled = before.modified >= 0 && before.modified <= before.takenAt - SettleMs;
    if (!settled || before.size < 0 || !stamp(before.path).sameFileState(before))
        return false;
    if (m_entries.size() >= MemoEntries)
        m_entries.erase(m_entries.begin());
    m_entries.push_back({ before, form, choice });
    return true;
}

namespace {

    struct DecidedForm
    {
        FileCheck check;
        TextForm form;
        QByteArray start; // the file's first bytes, enough for its first line
        bool atEnd = false; // whether they are all of it
    };

    // The text form of the file at `path`, decided from all of its bytes as TextForm::of does, read
    // in pieces that are not kept: only the first bytes are, for the first line. `progress` (if
    // given) hears the share read so far in percent.
    DecidedForm decideTextForm(
        const QString& path, EncodingChoice choice, const std::function<void(int)>& progress)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return { check, {}, {}, false };
        if (size > MaxDataFileBytes)
            return { tooLarge(), {}, {}, false };

        // The first line, its line end and some more, as the first line is read when the form
        // is known.
        constexpr qsizetype StartBytes = MaxFirstLineBytes + 4;
        const qint64 expected = size;
        DecidedForm decided;
        FormDecision decision(choice);
        QByteArray buffer(std::min(PieceBytes, expected + 1), Qt::Uninitialized);
        qsizetype waiting = 0;
        qint64 total = 0;
        for (bool atEnd = false; !atEnd;) {
            if (waiting == buffer.size())
                buffer.resize(waiting + PieceBytes);
            const qint64 n = readCounted(file, buffer.data() + waiting, buffer.size() - waiting);
            if (n < 0)
                return { readFailure(file), {}, {}, false };
            atEnd = n == 0;
            total += n;
            if (total > MaxDataFileBytes)
                return { tooLarge(), {}, {}, false };
            if (progress && n > 0)
                progress(int(std::min(total, expected) * 100 / expected));
            if (decided.start.size() < StartBytes)
                decided.start += QByteArrayView(buffer.constData() + waiting, n)
                                     .first(std::min<qint64>(n, StartBytes - decided.start.size()));
            const QByteArrayView bytes(buffer.constData(), waiting + n);
            // The bytes waiting hold no LF: only the new ones are searched.
            qsizetype whole = bytes.size();
            if (!atEnd) {
                const qsizetype lf = bytes.sliced(waiting).lastIndexOf('\n');
                whole = lf >= 0 ? waiting + lf + 1 : 0;
            }
            if (whole == 0) {
                waiting = bytes.size();
                continue;
            }
            decision.add(bytes.first(whole));
            waiting = bytes.size() - whole;
            std::memmove(buffer.data(), buffer.constData() + whole, size_t(waiting));
        }
        file.close();
        if (total == 0)
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {}, {}, false };
        decided.atEnd = total <= decided.start.size();
        decided.form = decision.result();
        return decided;
    }

} // namespace

FirstLineResult readFirstLine(const QString& path, const FirstLineReadOptions& options)
{
    FirstLineResult result;
    try {
        bool tooLong = false;
        TextFormMemo* const memo = options.memo;
        const std::optional<TextForm> known
            = memo ? memo->find(path, options.encoding) : std::nullopt;
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
            const TextFormMemo::Stamp before = TextFormMemo::stamp(path);
            const DecidedForm decided = decideTextForm(path, options.encoding, options.progress);
            if (decided.check.kind != ReadFailureKind::None)
                return failed<FirstLineResult>(decided.check);
            if (memo)
                memo->remember(before, decided.form, options.encoding);
            result.line = firstLineIn(decided.start, decided.form, &tooLong, decided.atEnd);
        }
        if (tooLong)
            return failed<FirstLineResult>(firstLineTooLong());
    } catch (const std::bad_alloc&) {
        return failed<FirstLineResult>(memoryFailure());
    }
    result.ok = true;
    return result;
}

FirstLineResult readFirstLine(const QString& path, TextFormMemo* memo)
{
    FirstLineReadOptions options;
    options.memo = memo;
    return readFirstLine(path, options);
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
    FirstLineReadOptions options;
    options.memo = memo;
    return readItemNames(path, options);
}

ItemNamesResult readItemNames(const QString& path, const FirstLineReadOptions& options)
{
    const FirstLineResult line = readFirstLine(path, options);
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
    const TextForm form = TextForm::of(bytes);
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
        form.decode(bytes, true), parsed.names.itemCount(), &parsed.truncated, recordLimit);
    return parsed;
}

namespace {

    // The sizes of the pieces read and of the pieces decoded.
    struct Pieces
    {
        qint64 read = PieceBytes;
        qsizetype split = SplitPieceBytes;
    };

    Pieces piecesFor(const DataFileReadOptions& options)
    {
        Pieces pieces;
        if (options.pieceBytes > 0) {
            pieces.read = options.pieceBytes;
            pieces.split = qsizetype(std::min<qint64>(SplitPieceBytes, options.pieceBytes));
        }
        return pieces;
    }

    // What one reading of a data file gives: the item names of its line 1 and its records,
    // from the same bytes.
    struct FileRead
    {
        FileCheck check;
        DataSet data;
        bool truncated = false;
        TextForm form; // the form the bytes were read in
        // The records split as the bytes came do not hold in the form decided from all of them:
        // the file is to be read whole (`form` is the form decided).
        bool readWhole = false;
    };

    FileRead stopped(const FileCheck& check)
    {
        FileRead read;
        read.check = check;
        return read;
    }

    // The first bytes kept for line 1: the longest line, its line end and a little more.
    constexpr qsizetype StartBytes = MaxFirstLineBytes + 4;

    // The item names of line 1 in a file's first bytes `start` (all of the file when `atEnd`).
    // Returns nothing while the line runs on past them; a failure is set in `check`.
    std::optional<ItemNamesResult> namesIn(
        QByteArrayView start, TextForm form, bool atEnd, FileCheck* check)
    {
        bool tooLong = false;
        bool complete = false;
        const QString line = firstLineIn(start, form, &tooLong, atEnd, &complete);
        if (tooLong) {
            *check = firstLineTooLong();
            return std::nullopt;
        }
        if (!complete)
            return std::nullopt;
        ItemNamesResult names = itemNamesFromLine(line);
        if (!names.ok)
            *check = failure(names.kind, names.description);
        return names;
    }

    // Decodes and splits a file's whole bytes in its text form, piece by piece, in as many
    // items as line 1 has (set in `names`), or `itemCount` when it is given. `progress` hears the
    // share split, from `from` to 100 percent.
    FileRead splitWhole(QByteArrayView bytes, TextForm form, int itemCount, ItemNamesResult* names,
        const DataFileReadOptions& options, const std::function<void(int)>& progress, int from)
    {
        FileRead read;
        read.form = form;
        if (itemCount < 1) {
            const QByteArrayView start = bytes.first(std::min(bytes.size(), StartBytes));
            std::optional<ItemNamesResult> lineOne
                = namesIn(start, form, start.size() == bytes.size(), &read.check);
            if (read.check.kind != ReadFailureKind::None)
                return read;
            if (!lineOne) // a line running past the first bytes is too long
                return stopped(firstLineTooLong());
            *names = std::move(*lineOne);
            itemCount = names->itemCount();
        }
        DataSetSplitter splitter(
            itemCount, form.lineEnd, options.recordLimit, form.decodedLengthBound(bytes.size()));
        // Every record but the last ends at a LF.
        splitter.expectRecords(form.lfCount(bytes) + 1);
        const Pieces pieces = piecesFor(options);
        for (qsizetype done = 0; done < bytes.size();) {
            const qsizetype cut = done + form.pieceEnd(bytes.sliced(done), pieces.read);
            if (!decodeAndSplit(
                    bytes.sliced(done, cut - done), form, done == 0, pieces.split, splitter))
                break;
            done = cut;
            if (progress)
                progress(from + int(done * (100 - from) / bytes.size()));
        }
        read.data = splitter.finish(&read.truncated);
        return read;
    }

    // Reads the data file at `path` once, in pieces, and splits its records as they come, in
    // as many items as its line 1 has (or `itemCount` when it is given): the item names and the
    // records come from the same bytes, however the file changes meanwhile. The names are set
    // in `names` as soon as they are read.
    //
    // With the text form known (`known`), reading stops once the records up to the limit are
    // split. Otherwise the form is decided from all of the bytes, while the records are split in
    // the form the first piece shows: the encoding and line end decided from the first bytes
    // hold for all of them in nearly every file. Bytes below 0x80, which every encoding but
    // UTF-16 reads alike, leave the encoding open until the first byte above. When the bytes
    // show another form at last, `readWhole` is set. `progress` hears the share read.
    FileRead readInPieces(const QString& path, const std::optional<TextForm>& known, int itemCount,
        ItemNamesResult* names, const DataFileReadOptions& options,
        const std::function<void(int)>& progress)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return stopped(check);
        if (size > MaxDataFileBytes)
            return stopped(tooLarge());

        const Pieces pieces = piecesFor(options);
        const qint64 expected = size;
        FileRead read;
        QByteArray start; // the first bytes, for line 1
        FormDecision decision(options.encoding);
        std::optional<DataSetSplitter> splitter;
        TextForm form = known.value_or(TextForm {}); // the form the records are split in
        bool holds = true; // whether that form is still the one the bytes so far show
        bool full = false; // the records up to the limit are split
        bool atStart = true;
        // One byte more than a small file has, so that its end is seen without growing.
        QByteArray buffer(std::min(pieces.read, expected + 1), Qt::Uninitialized);
        qsizetype waiting = 0; // bytes at the buffer's start after the last line split
        qint64 total = 0;
        const auto report = [&] {
            if (progress && expected > 0)
                progress(int(std::min(total, expected) * 100 / expected));
        };
        for (bool atEnd = false; !atEnd;) {
            // A line longer than the buffer makes it grow.
            if (waiting == buffer.size())
                buffer.resize(waiting + pieces.read);
            const qint64 n = readCounted(file, buffer.data() + waiting, buffer.size() - waiting);
            if (n < 0)
                return stopped(readFailure(file));
            atEnd = n == 0; // a file that grew since is read to its end all the same
            total += n;
            if (total > MaxDataFileBytes)
                return stopped(tooLarge());
            if (start.size() < StartBytes)
                start += QByteArrayView(buffer.constData() + waiting, n)
                             .first(std::min<qint64>(n, StartBytes - start.size()));
            const QByteArrayView bytes(buffer.constData(), waiting + n);
            // The bytes waiting hold no line end: only the new ones are searched (from the code
            // unit they begin in).
            qsizetype whole = bytes.size();
            if (!atEnd) {
                const qsizetype from = form.unitStart(waiting);
                const qsizetype lf = form.endAfterLastLf(bytes.sliced(from));
                whole = lf > 0 ? from + lf : 0;
            }
            QByteArrayView piece = bytes.first(whole);
            if (whole > 0 && !splitter && holds) {
                // Line 1 whole in the first bytes: its items, and the form to split in.
                TextForm first = form;
                if (!known) {
                    FormDecision probe = decision;
                    probe.add(piece);
                    first = probe.result();
                }
                if (!known && !first.linesInBytes()) {
                    // UTF-16: its pieces end after a LF code unit, from the first on.
                    whole = atEnd ? bytes.size() : first.endAfterLastLf(bytes);
                    piece = bytes.first(whole);
                }
                int items = whole > 0 ? itemCount : 0;
                if (whole > 0 && items < 1) {
                    std::optional<ItemNamesResult> lineOne
                        = namesIn(start, first, atEnd && total <= start.size(), &read.check);
                    if (read.check.kind != ReadFailureKind::None)
                        return read;
                    if (lineOne) {
                        *names = std::move(*lineOne);
                        items = names->itemCount();
                    }
                }
                if (items >= 1) {
                    form = first;
                    splitter.emplace(items, form.lineEnd, options.recordLimit,
                        form.decodedLengthBound(expected));
                    if (!atEnd && total < expected && piece.size() >= (qsizetype(1) << 20))
                        splitter->expectRecords(qsizetype(double(form.lfCount(piece) + 1)
                            * double(expected) / double(piece.size()) * 1.02));
                }
            }
            if (whole == 0 || (!splitter && holds)) {
                // No whole line yet, or line 1 still runs on: the bytes wait for more.
                waiting = bytes.size();
                report();
                continue;
            }
            if (!known) {
                decision.add(piece);
                if (holds && form.encoding == DataEncoding::Ascii) {
                    // Every byte so far was below 0x80, which every form whose lines are in its
                    // bytes reads alike: the records split so far are the same in the encoding
                    // the first byte above shows, when that one has no mark to begin with.
                    form.encoding = decision.result().encoding;
                    holds = form.linesInBytes() && form.mark().isEmpty();
                }
                if (form.lineEnd == LineEnd::Lf && decision.crLf())
                    holds = false;
                if (!holds) {
                    // Read on only to decide the form; the records come from reading it whole.
                    splitter.reset();
                    form = TextForm {};
                }
            }
            if (splitter && !full) {
                full = !decodeAndSplit(piece, form, atStart, pieces.split, *splitter);
                atStart = false;
                if (full && known)
                    break;
            }
            waiting = bytes.size() - whole;
            std::memmove(buffer.data(), buffer.constData() + whole, size_t(waiting));
            report();
        }
        file.close();
        if (total == 0)
            return stopped(failure(ReadFailureKind::Empty, EmptyFileMessage.toString()));
        if (!known) {
            const TextForm decided = decision.result();
            if (!holds || decided != form) {
                read.readWhole = true;
                read.form = decided;
                return read;
            }
        }
        read.form = form;
        if (!splitter) { // never so: every byte is split or waits for line 1 to end
            read.readWhole = true;
            return read;
        }
        read.data = splitter->finish(&read.truncated);
        return read;
    }

    // Reads the data file at `path` and its item names, or in `itemCount` items when that is
    // given, as readDataFile describes.
    DataFileReadResult readData(
        const QString& path, int itemCount, const DataFileReadOptions& options)
    {
        DataFileReadResult result;
        // Set once line 1 is read, also when reading the records fails afterwards.
        ItemNamesResult& names = result.names;
        // Reading, decoding and splitting go together; the reading stage tells the share done,
        // never less than it told before, and the splitting stage its end.
        int shown = 0;
        const auto progress = [&](int percent) {
            shown = std::max(shown, percent);
            if (options.progress)
                options.progress(ReadStage::Reading, shown);
        };
        try {
            const TextFormMemo::Stamp before = TextFormMemo::stamp(path);
            const std::optional<TextForm> known
                = options.memo ? options.memo->find(path, options.encoding) : std::nullopt;
            FileRead read = readInPieces(path, known, itemCount, &names, options, progress);
            if (read.readWhole && read.check.kind == ReadFailureKind::None) {
                // The records split as the bytes came were in another form than the one all of
                // them show: the names and the records come from reading the file once more.
                FormDecision decision(options.encoding);
                WholeFile whole = readWholeFile(
                    path, [&](int percent) { progress(percent / 2); }, &decision,
                    piecesFor(options).read);
                names = {};
                if (whole.check.kind != ReadFailureKind::None)
                    return failed<DataFileReadResult>(whole.check);
                read = splitWhole(
                    whole.bytes, decision.result(), itemCount, &names, options, progress, 50);
            }
            if (read.check.kind != ReadFailureKind::None) {
                result.kind = read.check.kind;
                result.description = read.check.description;
                return result;
            }
            if (!known && options.memo)
                options.memo->remember(before, read.form, options.encoding);
            progress(100);
            // The read stops where the limit is reached: the message comes then, before the
            // splitting caption.
            if (read.truncated && options.onRecordLimit)
                options.onRecordLimit();
            if (options.beforeSplitting)
                options.beforeSplitting();
            if (options.progress)
                options.progress(ReadStage::Splitting, 100);
            result.data = std::move(read.data);
            result.truncated = read.truncated;
            result.form = read.form;
        } catch (const std::bad_alloc&) {
            result.kind = ReadFailureKind::Error;
            result.description = memoryFailure().description;
            return result;
        } catch (const std::length_error&) {
            result.kind = ReadFailureKind::Error;
            result.description = tooManyItems().description;
            return result;
        }
        result.ok = true;
        return result;
    }

} // namespace

DataFileReadResult readDataFile(const QString& path, const DataFileReadOptions& options)
{
    return readData(path, 0, options);
}

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const DataFileReadOptions& options)
{
    return readData(path, std::max(itemCount, 1), options);
}

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const std::function<void()>& beforeSplitting)
{
    DataFileReadOptions options;
    options.beforeSplitting = beforeSplitting;
    return readDataFile(path, itemCount, options);
}

} // namespace korvanta
