#pragma once

#include "core/lineends.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <functional>

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
class DataSetSplitter;

// The item starts of a data set: a plain array grown and shrunk with realloc, so that a large
// one is remapped in place instead of being copied to fresh pages each time it grows.
class ItemStarts
{
public:
    ItemStarts() = default;
    ItemStarts(const ItemStarts& other);
    ItemStarts(ItemStarts&& other) noexcept;
    ItemStarts& operator=(ItemStarts other) noexcept;
    ~ItemStarts();

    size_t size() const { return m_size; }
    size_t capacity() const { return m_capacity; }
    quint32 operator[](size_t i) const { return m_data[i]; }

    // Room for at least `capacity` starts; throws std::bad_alloc.
    void reserve(size_t capacity);
    // Room for `more` starts after the last one, grown by half at least.
    void reserveMore(size_t more)
    {
        if (m_capacity - m_size < more)
            reserve(std::max(m_size + more, m_capacity + m_capacity / 2));
    }
    // Appends without a check: room must have been reserved.
    void append(quint32 start) { m_data[m_size++] = start; }
    // Gives back the room beyond the size when it is more than an eighth of it.
    void trim();

private:
    friend class DataSetSplitter;

    quint32* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

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
    friend class DataSetSplitter;

    QString m_text;
    ItemStarts m_starts; // (recordCount + 1) × itemCount item starts, then the end
    int m_itemCount = 0;
    int m_recordCount = 0;
};

// Splits a data file's decoded text given in pieces, cut anywhere (in the middle of a record or
// between the CR and the LF of a line end), exactly as DataSet::fromFileText splits the whole
// text. The text's line end must be known before (lineEndOf over the whole text), so that a file
// can be decoded and split as it is read, without its whole text ever being held apart from the
// records.
class DataSetSplitter
{
public:
    // `expectedLength`: about how many characters the whole text has; the records' text gets
    // that much room at once (plus what record 0 and one record's separators need), which is
    // only touched as it is written and given back at the end when much of it stays unused.
    // Under a record limit the text may stop long before its end: the room given at once is
    // then at most LimitedTextRoom, and expectRecords reserves for the records kept.
    DataSetSplitter(int itemCount, LineEnd lineEnd, int recordLimit = MaxRecordCount,
        qsizetype expectedLength = 0);
    // It writes through pointers into its own records.
    DataSetSplitter(const DataSetSplitter&) = delete;
    DataSetSplitter& operator=(const DataSetSplitter&) = delete;

    // Splits the next piece of the text. Returns false once a record beyond the limit begins:
    // the rest of the text is not needed. Throws like DataSet::fromFileText, before the items
    // of a piece are made when they could not be held.
    bool add(QStringView piece);

    // Room for the item starts of about this many records in all (no more than the limit),
    // and under a record limit for their text, at the length per record split so far.
    void expectRecords(qsizetype records);

    int recordCount() const { return m_records; }
    // The characters of room the text has now.
    qsizetype textCapacity() const { return m_capacity; }

    static constexpr qsizetype LimitedTextRoom = qsizetype(4) << 20;

    // The records split so far, the text after the last line end included; `truncated` (if
    // given) tells whether a record beyond the limit began. The splitter is left empty.
    DataSet finish(bool* truncated = nullptr);

private:
    enum class State {
        Header, // in line 1, which holds no record
        Record, // in a record, at item m_field
        SkipToLineEnd, // past the last item of a record
        Full, // a record beyond the limit began
    };

    void checkItemRoom(const char16_t* p, const char16_t* end) const;
    void readyAhead(qsizetype pieceLength);
    void reserveText(qsizetype more);
    bool startRecord(qsizetype rest);
    void closeRecord();
    void markItemStart() { m_set.m_starts.append(quint32(m_out - m_base)); }
    const char16_t* skipToLineEnd(const char16_t* p, const char16_t* end, bool* found);
    const char16_t* splitRecord(const char16_t* p, const char16_t* end, bool* lineEnded);

    DataSet m_set;
    char16_t* m_base = nullptr;
    char16_t* m_out = nullptr;
    qsizetype m_capacity = 0;
    qsizetype m_length = 0; // characters given so far
    char* m_textReady = nullptr; // the text's pages are ready for writing up to here
    const quint32* m_startsBase = nullptr;
    char* m_startsReady = nullptr; // and the item starts' up to here
    int m_itemCount;
    int m_limit;
    int m_records = 0;
    int m_field = 1;
    LineEnd m_lineEnd;
    State m_state = State::Header;
    bool m_inQuote = false;
    bool m_pendingCr = false; // a piece ended with a CR that a LF may follow
    bool m_truncated = false;
};

} // namespace korvanta
