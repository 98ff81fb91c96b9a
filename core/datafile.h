#pragma once

#include "core/dataset.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

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

// ---- Text decoding

enum class DataEncoding {
    Ascii, // only bytes below 0x80: every candidate decodes them alike
    Utf8, // valid UTF-8 with at least one multi-byte sequence
    Utf8WithBom, // starts with the UTF-8 byte-order mark
    Cp932, // anything else: the Microsoft variant of Shift_JIS
};

// Which encoding a data file's bytes are read in. With `complete` false the bytes are only the
// start of a file, and a multi-byte sequence cut off at their end does not make them invalid.
DataEncoding detectDataEncoding(QByteArrayView bytes, bool complete = true);

// Code page 932 (Microsoft's Shift_JIS) to text, with ICU's mapping of every double-byte
// character. The single bytes 0x00 to 0x7F stand for themselves and 0xA1 to 0xDF are half-width
// katakana. A byte that is no character, a lead byte without a valid second byte and a pair
// without a character each give one U+FFFD; nothing is dropped.
QString decodeCp932(QByteArrayView bytes);

// A data file's bytes as text in the encoding detectDataEncoding chooses (a byte-order mark is
// dropped). Invalid sequences become U+FFFD.
QString decodeDataText(QByteArrayView bytes);

// ---- Failures

enum class ReadFailureKind {
    None,
    Missing, // no file of that path: MissingFileMessage
    Empty, // a file of length 0: EmptyFileMessage
    Error, // anything else; the description says what and why
};

// ---- The first line and the item names

// The first line is read in chunks of this size until a CR turns up, up to MaxFirstLineBytes.
inline constexpr qsizetype FirstLineChunkBytes = 64 * 1024;
inline constexpr qsizetype MaxFirstLineBytes = 8 * 1024 * 1024;

struct FirstLineResult
{
    bool ok = false;
    ReadFailureKind kind = ReadFailureKind::None;
    QString description;
    QString line; // the text up to the first CR (the whole text when there is none)
};

// Reads the first line of the data file at `path` without reading the rest of the file. The
// encoding is chosen from the bytes read.
FirstLineResult readFirstLine(const QString& path);

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
ItemNamesResult readItemNames(const QString& path);

// The all-items view's column widths (in the unit of `viewFormWidth`, twips) for `itemCount`
// columns: the first is viewFormWidth / itemCount × 0.8, every later one that width × 0.7, each
// rounded to the nearest integer with halves to even. Negative results count as 0.
int firstColumnWidth(int viewFormWidth, int itemCount);
QList<int> columnWidths(int viewFormWidth, int itemCount);

// ---- The whole file

// Files larger than this are refused: their text could not be held.
inline constexpr qint64 MaxDataFileBytes = qint64(512) * 1024 * 1024;

struct DataFileReadResult
{
    bool ok = false;
    ReadFailureKind kind = ReadFailureKind::None;
    QString description;
    // More than MaxRecordCount records followed line 1; only the first MaxRecordCount are kept
    // and recordLimitMessage() is to be shown.
    bool truncated = false;
    DataSet data;
};

// Reads the whole data file at `path` in one read (read only), decodes it and splits it into
// records of `itemCount` items (DataSet::fromFileText). `beforeSplitting`, if given, is called
// once between reading and splitting, for the status line.
DataFileReadResult readDataFile(
    const QString& path, int itemCount, const std::function<void()>& beforeSplitting = {});

} // namespace korvanta
