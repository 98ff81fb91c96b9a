#pragma once

#include "core/dataset.h"
#include "core/lineends.h"
#include "core/textdecoding.h"
#include "core/textform.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace korvanta {

// Messages and status texts of reading a data file.
inline constexpr QStringView MissingFileMessage
    = u"ファイルが見つかりません。削除された可能性があります。";
inline constexpr QStringView EmptyFileMessage
    = u"ファイル内にデーターが無いので、リスト表示出来ません。";
inline constexpr QStringView RecordLimitMessageLine1
    = u"表示できる行数（32,735行）をオーバーします。";
inline constexpr QStringView RecordLimitMessageLine2 = u"32,736行以降は表示出来ません。";
inline constexpr QStringView ReadingFileCaption = u"ﾌｧｲﾙを読込み中…";
inline constexpr QStringView SplittingDataCaption = u"ﾃﾞｰﾀｰを分解中…";

// The two lines of the record-limit message joined by CR LF.
QString recordLimitMessage();

// ---- Failures

enum class ReadFailureKind {
    None,
    Missing, // no file of that path: MissingFileMessage
    Empty, // a file of length 0: EmptyFileMessage
    Error, // anything else; the description says what and why
};

// ---- What is decided about a file from all of its bytes

// The text forms of the files read lately, each kept for as long as its file is unchanged (the
// same size, modification and status-change times): reading a file's first line again then
// needs only that line, and reading its records needs no detection.
//
// A form is kept only for a file that was not changed while it was read: the file is stamped
// before its bytes are read (stamp()), and remember() keeps the form only when the file still
// has that stamp. A file last modified less than SettleMs before the stamp is not kept at all:
// a later save within the same tick of its file system's clock (two seconds on FAT, one on some
// other file systems and network shares) could leave the same size and modification time.
class TextFormMemo
{
public:
    static constexpr qint64 SettleMs = 2000;

    // What tells a file unchanged without reading it.
    struct Stamp
    {
        QString path; // absolute
        qint64 size = -1;
        qint64 modified = -1; // ms since the epoch, -1 when unknown
        qint64 changed = -1;
        qint64 takenAt = -1; // ms since the epoch

        bool sameFileState(const Stamp& other) const
        {
            return path == other.path && size == other.size && modified == other.modified
                && changed == other.changed;
        }
    };
    // The stamp of the file at `path` now: taken before the file is read, for remember().
    static Stamp stamp(const QString& path);

    // The form kept for the file at `path` read with `choice`; a form decided with another
    // choice is not this one.
    std::optional<TextForm> find(
        const QString& path, EncodingChoice choice = EncodingChoice::Auto) const;
    // Keeps `form`, decided with `choice` from the bytes read after `before` was taken, when the
    // file is still as stamped and was already settled then (see above). Returns whether it was
    // kept; a form not kept forgets any earlier one of the file.
    bool remember(const Stamp& before, TextForm form, EncodingChoice choice = EncodingChoice::Auto);
    void clear() { m_entries.clear(); }

private:
    struct Entry
    {
        Stamp stamp;
        TextForm form;
        EncodingChoice choice;
    };
    std::vector<Entry> m_entries; // the most recent last
};

// The bytes of data files this process has read so far, counted by every reader here: how often
// a file is read, for tests and measurements.
qint64 dataFileBytesRead();

// ---- The first line and the item names

// A first line longer than this (in the file's bytes) is refused.
inline constexpr qsizetype MaxFirstLineBytes = 8 * 1024 * 1024;

struct FirstLineResult
{
    bool ok = false;
    ReadFailureKind kind = ReadFailureKind::None;
    QString description;
    // Line 1 in the file's encoding: the text up to its first CR, or in a file that ends its
    // lines with LF (see lineEndOf) up to its first CR or LF; the whole text when there is
    // neither.
    QString line;
};

struct FirstLineReadOptions
{
    // The encoding chosen for the file; Auto decides it from the bytes.
    EncodingChoice encoding = EncodingChoice::Auto;
    // The file's text form when it is known and unchanged; the form decided is kept there.
    TextFormMemo* memo = nullptr;
    // Called now and then with the share of the file read so far, in percent (0 to 100), while
    // it is read whole to decide its text form; not called when only the first line is read.
    std::function<void(int)> progress;
};

// Reads the data file at `path` and returns its first line. The item names are
// decoded in the same encoding as the records: the whole file is read to decide it, unless
// `memo` knows the file unchanged; then only the first line is read. The form decided is kept
// in `memo` when the file was unchanged over the reading (see TextFormMemo).
FirstLineResult readFirstLine(const QString& path, const FirstLineReadOptions& options);
FirstLineResult readFirstLine(const QString& path, TextFormMemo* memo = nullptr);

// `name` as the item chooser and the item names show it: a non-empty name longer than 7
// characters becomes its first 5 characters and "… "; an empty one "無題 " and the number k.
QString shortenItemName(const QString& name, int k);

struct ItemNamesResult
{
    bool ok = false;
    ReadFailureKind kind = ReadFailureKind::None;
    QString description;
    // Element 0 is empty, element k (1 to itemCount) the shortened name of item k.
    QStringList itemNames;
    // The names as read: headerTexts[k - 1] is the unshortened name of item k.
    QStringList headerTexts;

    int itemCount() const { return int(headerTexts.size()); }
};

// The item names of a first line: the number of TAB- and comma-separators (as CsvLineToTab
// makes them) plus one. More than MaxItemCount items is an error.
ItemNamesResult itemNamesFromLine(QStringView firstLine);

// readFirstLine then itemNamesFromLine.
ItemNamesResult readItemNames(const QString& path, const FirstLineReadOptions& options);
ItemNamesResult readItemNames(const QString& path, TextFormMemo* memo = nullptr);

// The all-items view's column widths (in the unit of `viewFormWidth`, twips) for `itemCount`
// columns: the first is viewFormWidth / itemCount × 0.8, every later one that width × 0.7, each
// rounded to the nearest integer with halves to even. Negative results count as 0.
int firstColumnWidth(int viewFormWidth, int itemCount);
QList<int> columnWidths(int viewFormWidth, int itemCount);

// Column widths set by the user, stored as their decimal texts joined by "," ("1500,900,0").
// Reading gives the widths only when the text holds exactly `itemCount` non-negative integers;
// anything else (another item count, a damaged value, the empty text) gives an empty list.
QString columnWidthsText(const QList<int>& widths);
QList<int> columnWidthsFromText(const QString& text, int itemCount);

// ---- The whole file

struct ParsedDataText
{
    ItemNamesResult names;
    DataSet data;
    bool truncated = false;
};

// What readItemNames and readDataFile make of a file's bytes, without the file: the item names
// of line 1 and the records split into as many items. One pass of detection decides the
// encoding for both. Throws like DataSet::fromFileText.
ParsedDataText parseDataBytes(QByteArrayView bytes, int recordLimit = MaxRecordCount);

// Files larger than this are refused: their text could not be held.
inline constexpr qint64 MaxDataFileBytes = qint64(512) * 1024 * 1024;

struct DataFileReadResult
{
    bool ok = false;
    ReadFailureKind kind = ReadFailureKind::None;
    QString description;
    // More records than the limit followed line 1; only the first ones up to the limit are kept
    // and (with the design's limit) recordLimitMessage() is to be shown.
    bool truncated = false;
    DataSet data;
    // The text form the file was read in.
    TextForm form;
    // The item names of line 1, from the same bytes as the records (when the item count was
    // not given).
    ItemNamesResult names;
};

// The stages of reading a data file, as progress reports them.
enum class ReadStage {
    Reading, // reading and decoding the bytes
    Splitting, // splitting the text into records and items
};

struct DataFileReadOptions
{
    // The encoding chosen for the file; Auto decides it from the bytes.
    EncodingChoice encoding = EncodingChoice::Auto;
    // The most records kept: MaxRecordCount as designed, NoRecordLimit for all of them.
    int recordLimit = MaxRecordCount;
    // The file's text form when it is known and unchanged; the form decided is kept there.
    TextFormMemo* memo = nullptr;
    // Called once when the file holds more records than recordLimit, as soon as the read reaches
    // the first record past it and before beforeSplitting: the record-limit message comes before
    // the splitting caption.
    std::function<void()> onRecordLimit;
    // Called once when the records are split, before they are finished, for the status line.
    std::function<void()> beforeSplitting;
    // Called now and then with the stage and its share done so far, in percent (0 to 100):
    // reading (decoding and splitting as the file is read) rises to 100, then splitting ends
    // with 100. A file read once more whole (see readDataFile) has its reading in the first
    // half and its splitting in the second; the share told never goes back.
    std::function<void(ReadStage, int)> progress;
    // The size of the pieces the file is read and decoded in, 0 for the usual 8 MB (and 64 kB
    // decoded at a time); a small size cuts a small file's lines as a large file's are cut.
    qint64 pieceBytes = 0;
};

// Reads the data file at `path` once (read only, in large pieces), decodes it and splits it: the
// item names of its line 1 (as readItemNames gives them) and its records in as many items, as
// DataSet::fromFileText splits the whole text, both from the same bytes, whatever happens to the
// file meanwhile. Each piece is decoded and split as it is read; with the text form known
// (`memo`), reading stops once the records up to the limit are split. A file whose form is not
// known has it decided from all of its bytes while its records are split in the form its first
// piece shows; only where the later bytes decide otherwise (rare) is it read once more, whole,
// and the names and records are taken from that reading.
DataFileReadResult readDataFile(const QString& path, const DataFileReadOptions& options);

// readDataFile with the records split into `itemCount` items whatever line 1 holds; the item
// names are not read.
DataFileReadResult readDataFile(
    const QString& path, int itemCount, const DataFileReadOptions& options);
DataFileReadResult readDataFile(
    const QString& path, int itemCount, const std::function<void()>& beforeSplitting = {});

} // namespace korvanta
