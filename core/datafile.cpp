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
    // encoding, and the line end as lineEndOf tells it from the bytes (for a form whose lines
    // are not in its bytes, UTF-16, it is told from the decoded text instead; see wholeForm).
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
            for (qsizetype i = m_crLf ? -1 : piece.indexOf('\n'); i >= 0;
                i = piece.indexOf('\n', i + 1)) {
                if ((i > 0 ? piece[i - 1] : m_before) == '\r') {
                    m_crLf = true;
                    break;
                }
                m_anyLf = true;
            }
            m_before = piece.back();
        }

        // Whether a CR LF pair was seen: the line end is CR LF whatever follows.
        bool crLf() const { return m_crLf; }

        TextForm result() const
        {
            TextForm form;
            form.encoding = m_detector.result();
            form.lineEnd = m_crLf || !m_anyLf ? LineEnd::CrLf : LineEnd::Lf;
            return form;
        }

    private:
        DataEncodingDetector m_detector;
        bool m_crLf = false;
        bool m_anyLf = false;
        char m_before = 0; // the last byte of the pieces so far
    };

    // The form of a file's whole bytes from the one FormDecision gave: for a form whose CR and
    // LF are code units, the line end is told from the decoded text.
    TextForm wholeForm(TextForm decided, QByteArrayView bytes)
    {
        return decided.linesInBytes() ? decided : TextForm::in(decided.encoding, bytes);
    }

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
        if (!decided.form.linesInBytes()) {
            // CR and LF are code units here: the line end is told from the decoded text.
            const WholeFile whole = readWholeFile(path);
            if (whole.check.kind != ReadFailureKind::None)
                return { whole.check, {}, {}, false };
            decided.form = wholeForm(decided.form, whole.bytes);
            decided.start = whole.bytes;
            decided.atEnd = true;
        }
        return decided;
    }

    struct DecidedWhole
    {
        FileCheck check;
        QByteArray bytes;
        TextForm form;
    };

    // The whole data file at `path` with its text form decided from its bytes as they are read:
    // one reading of the file for both. `progress` (if given) hears the share read.
    DecidedWhole readDeciding(const QString& path, EncodingChoice choice,
        const std::function<void(int)>& progress, qint64 pieceBytes = PieceBytes)
    {
        FormDecision decision(choice);
        WholeFile whole = readWholeFile(path, progress, &decision, pieceBytes);
        if (whole.check.kind != ReadFailureKind::None)
            return { whole.check, {}, {} };
        const TextForm form = wholeForm(decision.result(), whole.bytes);
        return { {}, std::move(whole.bytes), form };
    }

    // readFirstLine for a file whose text form is not known, when its records are read next;
    // see FirstLineReadOptions::readAhead.
    FirstLineResult readFirstLineAhead(const QString& path, const FirstLineReadOptions& options);

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
        } else if (options.readAhead) {
            return readFirstLineAhead(path, options);
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

    struct SplitRead
    {
        FileCheck check;
        DataSet data;
        bool truncated = false;
    };

    // Reading a file whose text form is known: it is read in large pieces, and each piece's
    // whole lines are decoded and split at once, so that neither the file's bytes nor its
    // decoded text are ever held whole. The bytes after a piece's last LF wait for the next.
    // Reading stops once the records up to the limit are split.
    SplitRead readKnownForm(const QString& path, int itemCount, TextForm form,
        const DataFileReadOptions& options, const std::function<void(int)>& progress)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return { check, {} };
        if (size > MaxDataFileBytes)
            return { tooLarge(), {} };

        const qint64 expected = size;
        const Pieces pieces = piecesFor(options);
        DataSetSplitter splitter(
            itemCount, form.lineEnd, options.recordLimit, form.decodedLengthBound(expected));
        // One byte more than a small file has, so that its end is seen without growing.
        QByteArray buffer(std::min(pieces.read, expected + 1), Qt::Uninitialized);
        qsizetype waiting = 0; // bytes at the buffer's start after the last LF decoded
        qint64 total = 0;
        bool atStart = true;
        for (bool atEnd = false; !atEnd;) {
            // A line longer than the buffer makes it grow.
            if (waiting == buffer.size())
                buffer.resize(waiting + pieces.read);
            const qint64 n = readCounted(file, buffer.data() + waiting, buffer.size() - waiting);
            if (n < 0)
                return { readFailure(file), {} };
            atEnd = n == 0; // a file that grew since is read to its end all the same
            total += n;
            if (total > MaxDataFileBytes)
                return { tooLarge(), {} };
            const QByteArrayView bytes(buffer.constData(), waiting + n);
            // The bytes waiting hold no LF: only the new ones are searched (from the code unit
            // they begin in).
            const qsizetype from = form.unitStart(waiting);
            qsizetype whole = bytes.size();
            if (!atEnd) {
                const qsizetype lf = form.endAfterLastLf(bytes.sliced(from));
                whole = lf > 0 ? from + lf : 0;
            }
            if (whole > 0) {
                if (!decodeAndSplit(bytes.first(whole), form, atStart, pieces.split, splitter))
                    break;
                atStart = false;
                waiting = bytes.size() - whole;
                std::memmove(buffer.data(), buffer.constData() + whole, size_t(waiting));
            } else {
                waiting = bytes.size();
            }
            if (!atEnd && total == n && n >= (qint64(1) << 20)) {
                // The records of the first piece tell about how many the file holds.
                splitter.expectRecords(qsizetype(
                    double(splitter.recordCount() + 1) * double(expected) / double(n) * 1.02));
            }
            if (progress && expected > 0)
                progress(int(std::min<qint64>(total, expected) * 100 / expected));
        }
        file.close();
        if (total == 0)
            return { failure(ReadFailureKind::Empty, EmptyFileMessage.toString()), {} };
        SplitRead read;
        read.data = splitter.finish(&read.truncated);
        return read;
    }

    // Decodes and splits a file's whole bytes in its text form, piece by piece. `progress`
    // hears the share split, from `from` to 100 percent.
    SplitRead splitBytes(QByteArrayView bytes, TextForm form, int itemCount,
        const DataFileReadOptions& options, const std::function<void(int)>& progress, int from)
    {
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
        SplitRead read;
        read.data = splitter.finish(&read.truncated);
        return read;
    }

    // Reading a file whose text form is not known: its bytes are read whole and the form is
    // decided from them as they come, then they are decoded and split piece by piece.
    // `progress` hears the share read (the first half) and split (the second); `form` is set
    // to the form decided.
    SplitRead readUnknownForm(const QString& path, int itemCount,
        const DataFileReadOptions& options, const std::function<void(int)>& progress,
        TextForm* form)
    {
        const TextFormMemo::Stamp before = TextFormMemo::stamp(path);
        const DecidedWhole whole = readDeciding(
            path, options.encoding,
            [&](int percent) {
                if (progress)
                    progress(percent / 2);
            },
            piecesFor(options).read);
        if (whole.check.kind != ReadFailureKind::None)
            return { whole.check, {} };
        if (options.memo)
            options.memo->remember(before, whole.form, options.encoding);
        *form = whole.form;
        return splitBytes(whole.bytes, whole.form, itemCount, options, progress, 50);
    }

    struct OnePass
    {
        FileCheck check;
        DecidedForm decided; // the form decided from all of the bytes, and the first ones
        // UTF-16, whose line end is not told from the bytes: the file is to be read whole. Its
        // reading stops as soon as its first piece shows it.
        bool readWhole = false;
        bool split = false; // the records were split in the decided form
        int itemCount = 0;
        DataSet data;
        bool truncated = false;
    };

    OnePass stopped(const FileCheck& check)
    {
        OnePass pass;
        pass.check = check;
        return pass;
    }

    // Reads the data file at `path` once, in pieces, deciding its text form from all of its bytes
    // (as decideTextForm does) and splitting its records as they come in the form its first
    // piece shows: the encoding and line end decided from the first bytes hold for all of them
    // in nearly every file. Only when the form decided from all of the bytes is that one are
    // the records split (`split`); bytes below 0x80, which every encoding but UTF-16 reads
    // alike, leave the encoding open until the first byte above. Nothing is split for a first
    // line that does not end within the first piece, nor once the bytes show another form than
    // the first ones did, nor when the records cannot be held. `progress` hears the share read.
    OnePass readOnce(const QString& path, EncodingChoice choice, int recordLimit, qint64 pieceBytes,
        const std::function<void(int)>& progress)
    {
        QFile file;
        qint64 size = 0;
        if (const FileCheck check = openDataFile(path, file, &size);
            check.kind != ReadFailureKind::None)
            return stopped(check);
        if (size > MaxDataFileBytes)
            return stopped(tooLarge());

        DataFileReadOptions sizes;
        sizes.pieceBytes = pieceBytes;
        const Pieces pieces = piecesFor(sizes);
        constexpr qsizetype StartBytes = MaxFirstLineBytes + 4;
        const qint64 expected = size;
        OnePass pass;
        QByteArray& start = pass.decided.start;
        FormDecision decision(choice);
        std::optional<DataSetSplitter> splitter;
        TextForm guess; // the form the records are split in
        bool guessing = true; // false once the bytes show another form than `guess`
        bool full = false; // the records up to the limit are split
        bool atStart = true;
        QByteArray buffer(std::min(pieces.read, expected + 1), Qt::Uninitialized);
        qsizetype waiting = 0;
        qint64 total = 0;
        for (bool atEnd = false; !atEnd;) {
            if (waiting == buffer.size())
                buffer.resize(waiting + pieces.read);
            const qint64 n = readCounted(file, buffer.data() + waiting, buffer.size() - waiting);
            if (n < 0)
                return stopped(readFailure(file));
            atEnd = n == 0;
            total += n;
            if (total > MaxDataFileBytes)
                return stopped(tooLarge());
            if (start.size() < StartBytes)
                start += QByteArrayView(buffer.constData() + waiting, n)
                             .first(std::min<qint64>(n, StartBytes - start.size()));
            const QByteArrayView bytes(buffer.constData(), waiting + n);
            qsizetype whole = bytes.size();
            if (!atEnd) {
                const qsizetype lf = bytes.sliced(waiting).lastIndexOf('\n');
                whole = lf >= 0 ? waiting + lf + 1 : 0;
            }
            if (whole > 0) {
                const QByteArrayView piece = bytes.first(whole);
                decision.add(piece);
                if (guessing && !splitter) {
                    // The first piece: its form, and line 1's items in it.
                    guess = decision.result();
                    if (!guess.linesInBytes()) {
                        pass.readWhole = true;
                        return pass;
                    }
                    bool tooLong = false;
                    bool complete = false;
                    const QString line = firstLineIn(
                        start, guess, &tooLong, atEnd && total <= start.size(), &complete);
                    const ItemNamesResult names = itemNamesFromLine(line);
                    guessing = !tooLong && complete && names.ok;
                    if (guessing) {
                        pass.itemCount = names.itemCount();
                        splitter.emplace(pass.itemCount, guess.lineEnd, recordLimit,
                            guess.decodedLengthBound(expected));
                        if (!atEnd && total < expected && piece.size() >= (qsizetype(1) << 20))
                            splitter->expectRecords(qsizetype(double(piece.count('\n') + 1)
                                * double(expected) / double(piece.size()) * 1.02));
                    }
                } else if (guessing && guess.encoding == DataEncoding::Ascii) {
                    // Every byte so far was below 0x80, which every form whose lines are in its
                    // bytes reads alike: the records split so far are the same in the encoding
                    // the first byte above shows, when that one has no mark to begin with.
                    guess.encoding = decision.result().encoding;
                    guessing = guess.linesInBytes() && guess.mark().isEmpty();
                }
                if (guess.lineEnd == LineEnd::Lf && decision.crLf())
                    guessing = false;
                if (guessing && !full) {
                    try {
                        full = !decodeAndSplit(piece, guess, atStart, pieces.split, *splitter);
                    } catch (const std::exception&) {
                        // Too much to hold: the reading of the records tells why.
                        guessing = false;
                    }
                    atStart = false;
                }
                if (!guessing)
                    splitter.reset();
                waiting = bytes.size() - whole;
                std::memmove(buffer.data(), buffer.constData() + whole, size_t(waiting));
            } else {
                waiting = bytes.size();
            }
            if (progress && expected > 0)
                progress(int(std::min(total, expected) * 100 / expected));
        }
        file.close();
        if (total == 0)
            return stopped(failure(ReadFailureKind::Empty, EmptyFileMessage.toString()));
        pass.decided.atEnd = total <= start.size();
        pass.decided.form = decision.result();
        pass.readWhole = !pass.decided.form.linesInBytes();
        if (guessing && splitter && pass.decided.form == guess) {
            pass.split = true;
            pass.data = splitter->finish(&pass.truncated);
        }
        return pass;
    }

    FirstLineResult readFirstLineAhead(const QString& path, const FirstLineReadOptions& options)
    {
        FirstLineResult result;
        DataFileReadAhead& ahead = *options.readAhead;
        const TextFormMemo::Stamp before = TextFormMemo::stamp(path);
        OnePass pass = readOnce(
            path, options.encoding, options.recordLimit, options.pieceBytes, options.progress);
        if (pass.check.kind != ReadFailureKind::None)
            return failed<FirstLineResult>(pass.check);
        bool tooLong = false;
        if (!pass.readWhole) {
            if (options.memo)
                options.memo->remember(before, pass.decided.form, options.encoding);
            result.line
                = firstLineIn(pass.decided.start, pass.decided.form, &tooLong, pass.decided.atEnd);
            ahead = { before.path, options.encoding, pass.decided.form, pass.split, pass.itemCount,
                std::move(pass.data), pass.truncated };
        } else {
            // CR and LF are code units here: the line end is told from the decoded text, which
            // the records are split from then.
            DataFileReadOptions sizes;
            sizes.recordLimit = options.recordLimit;
            sizes.pieceBytes = options.pieceBytes;
            // The share read is the first half, the share split the second.
            const auto progress = [&](int percent) {
                if (options.progress)
                    options.progress(percent);
            };
            const DecidedWhole whole = readDeciding(
                path, options.encoding, [&](int percent) { progress(percent / 2); },
                piecesFor(sizes).read);
            if (whole.check.kind != ReadFailureKind::None)
                return failed<FirstLineResult>(whole.check);
            if (options.memo)
                options.memo->remember(before, whole.form, options.encoding);
            result.line = firstLineIn(whole.bytes, whole.form, &tooLong);
            const ItemNamesResult names = itemNamesFromLine(result.line);
            ahead = {};
            ahead.path = before.path;
            ahead.encoding = options.encoding;
            ahead.form = whole.form;
            if (!tooLong && names.ok) {
                try {
                    SplitRead read = splitBytes(
                        whole.bytes, whole.form, names.itemCount(), sizes, progress, 50);
                    ahead.hasRecords = true;
                    ahead.itemCount = names.itemCount();
                    ahead.data = std::move(read.data);
                    ahead.truncated = read.truncated;
                } catch (const std::exception&) {
                    // Too much to hold: the reading of the records tells why.
                }
            }
        }
        if (tooLong) {
            ahead = {};
            return failed<FirstLineResult>(firstLineTooLong());
        }
        result.ok = true;
        return result;
    }

} // namespace

DataFileReadResult readDataFile(
    const QString& path, int itemCount, const DataFileReadOptions& options)
{
    DataFileReadResult result;
    // Reading, decoding and splitting go together; the reading stage tells the share done, and
    // the splitting stage its end.
    const auto progress = [&](int percent) {
        if (options.progress)
            options.progress(ReadStage::Reading, percent);
    };
    try {
        // What was read ahead is this read's only: it never outlives it.
        DataFileReadAhead ahead;
        if (options.readAhead)
            std::swap(ahead, *options.readAhead);
        const bool aheadHere = !ahead.isEmpty() && ahead.encoding == options.encoding
            && ahead.path == QFileInfo(path).absoluteFilePath();
        SplitRead read;
        TextForm form; // the form the file is read in
        if (aheadHere && ahead.hasRecords && ahead.itemCount == itemCount) {
            read.data = std::move(ahead.data);
            read.truncated = ahead.truncated;
            form = ahead.form;
            progress(100);
        } else {
            std::optional<TextForm> known = aheadHere ? std::optional(ahead.form) : std::nullopt;
            ahead = {};
            if (!known && options.memo)
                known = options.memo->find(path, options.encoding);
            read = known ? readKnownForm(path, itemCount, *known, options, progress)
                         : readUnknownForm(path, itemCount, options, progress, &form);
            if (known)
                form = *known;
        }
        if (read.check.kind != ReadFailureKind::None)
            return failed<DataFileReadResult>(read.check);
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
        result.form = form;
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
