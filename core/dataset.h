#pragma once

#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace korvanta {

// The most records a data file can show as designed (file lines 2 to 32,736).
inline constexpr int MaxRecordCount = 32735;
// A record limit that keeps every record a file holds (what memory allows; see fromFileText).
inline constexpr int NoRecordLimit = 2147483647;
// The most items a data file can have (the item count is a 16-bit number).
inline constexpr int MaxItemCount = 32767;

// The records of one data file: `itemCount()` items (1 to itemCount) of `recordCount()` records
// (1 to recordCount). Record 0 exists and all its items are empty; any other record or item
// number out of range gives an empty text.
//
// All items live in one string, each record as its items joined by TAB and closed by a NUL, with
// one start offset per item; an item ends one character before the next item's start. A record's
// TAB-joined text is therefore a plain view into that string. Items never contain a TAB (a TAB
// always separates), but may contain NUL, a lone CR or a lone LF. Views stay valid until the set
// is cleared, assigned or destroyed.
class DataSet
{
public:
    DataSet() = default;

    // Splits a data file's whole decoded text. The pieces between line ends are the lines: CR LF
    // pairs when the text holds one, otherwise LF (see lineEndOf); line 1 (the item names) is
    // skipped and lines 2 on are the records, the text after the last line end included. Each
    // record is split like CsvLineToTab then cut at every TAB: field j goes to item j while j <=
    // itemCount, further fields are dropped and missing ones stay empty. At most `recordLimit`
    // records are kept; `truncated` (if given) tells whether more followed. `itemCount` is taken
    // between 1 and MaxItemCount. Throws std::bad_alloc when memory runs out and std::length_error
    // for a text over 1 G characters or more than 2^27 items in all (record 0 included).
    // `progress`, if given, is called now and then with the share of the text split so far, in
    // percent (0 to 100).
    static DataSet fromFileText(QStringView text, int itemCount, bool* truncated = nullptr,
        int recordLimit = MaxRecordCount, const std::function<void(int)>& progress = {});

    // Whether a data file's whole decoded text holds more records than `recordLimit`, as
    // fromFileText counts them; so that the limit can be told before the text is split.
    static bool exceedsRecordLimit(QStringView text, int recordLimit = MaxRecordCount);

    int itemCount() const { return m_itemCount; }
    int recordCount() const { return m_recordCount; }

    // Item k (1-based) of record r (1-based; 0 is the empty record).
    QStringView item(int k, int r) const;
    QString itemString(int k, int r) const { return item(k, r).toString(); }

    // All items of record r joined by TAB, none at the ends; empty out of range.
    QStringView recordView(int r) const;
    QString recordJoined(int r) const { return recordView(r).toString(); }

    // Approximate bytes held by the records.
    qsizetype memoryBytes() const;

    // Forgets every record and item.
    void clear();

private:
    QString m_text;
    std::vector<quint32> m_starts; // (recordCount + 1) × itemCount item starts, then the end
    int m_itemCount = 0;
    int m_recordCount = 0;
};

} // namespace korvanta
