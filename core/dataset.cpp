#include "core/dataset.h"

#include "core/lineends.h"

#include <algorithm>
#include <stdexcept>

namespace korvanta {

namespace {

    constexpr char16_t ItemSeparator = u'\t';
    constexpr char16_t RecordEnd = u'\0';

    // Offsets are 32-bit, so the text is kept well below 4 G characters. The empty lines of a
    // small file with a very long first line could ask for hundreds of millions of empty items
    // (about 6 bytes each); more than 128 M items are refused like a file that does not fit in
    // memory. That is 2,000,000 records of 64 items, or 4,000,000 of 32.
    constexpr qsizetype MaxTextLength = qsizetype(1) << 30;
    constexpr qsizetype MaxItemSlots = qsizetype(1) << 27;

    // Progress is reported about this often, in records.
    constexpr int ProgressRecords = 1 << 16;

    // The records of a text whose line 1 ends before `p` (none when it has no line end), up to
    // `limit`: one per line end after line 1, and the text after the last line end.
    int countRecords(
        const char16_t* p, const char16_t* end, bool hasRecords, LineEnd lineEnd, int limit)
    {
        int records = 0;
        for (const char16_t* line = p; hasRecords && records < limit;) {
            ++records;
            const char16_t* next = findLineEnd(line, end, lineEnd);
            if (next == end)
                break;
            line = next + lineEndLength(lineEnd);
        }
        return records;
    }

} // namespace

bool DataSet::exceedsRecordLimit(QStringView text, int recordLimit)
{
    if (recordLimit == NoRecordLimit)
        return false;
    const int limit = std::max(recordLimit, 0);
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const LineEnd lineEnd = lineEndOf(p, end);
    const char16_t* const headerEnd = findLineEnd(p, end, lineEnd);
    const bool hasRecords = headerEnd != end;
    p = hasRecords ? headerEnd + lineEndLength(lineEnd) : end;
    return countRecords(p, end, hasRecords, lineEnd, limit + 1) > limit;
}

DataSet DataSet::fromFileText(QStringView text, int itemCount, bool* truncated, int recordLimit,
    const std::function<void(int)>& progress)
{
    if (truncated)
        *truncated = false;
    const int n = std::clamp(itemCount, 1, MaxItemCount);

    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const LineEnd lineEnd = lineEndOf(p, end);
    const bool lfLines = lineEnd == LineEnd::Lf;
    const int eol = lineEndLength(lineEnd);
    const char16_t* const headerEnd = findLineEnd(p, end, lineEnd);
    const bool hasRecords = headerEnd != end;
    p = hasRecords ? headerEnd + eol : end;

    // The records are not counted in a pass of their own: every record ends at a LF, so the LFs
    // bound their number from above, and one vectorised count of them is enough to refuse a text
    // whose items could not be held before anything is allocated, and to give the item starts
    // their room at once.
    if (text.size() > MaxTextLength)
        throw std::length_error("data file text too long");
    const int limit = std::max(recordLimit, 0);
    qsizetype recordBound = 0;
    if (hasRecords) {
        // The text after the last line end is a record too.
        recordBound = std::count(p, end, u'\n') + 1;
        recordBound = std::min<qsizetype>(recordBound, limit);
    }
    const auto slotsFor = [n](qsizetype records) { return (records + 1) * n; };
    if (slotsFor(recordBound) > MaxItemSlots && !lfLines) {
        // Lone LFs inside the items of a CR LF file count in the bound but end no record: the
        // records are counted exactly, which only such an unusual text ever needs.
        recordBound = countRecords(p, end, hasRecords, lineEnd, limit);
    }
    if (slotsFor(recordBound) > MaxItemSlots)
        throw std::length_error("too many items in the data file");

    // A record's text never needs more room than its own line plus one separator per item and
    // its end mark, so room for the rest of the input and one record's worth of separators is
    // checked once per record; only records with missing items make the text grow.
    const qsizetype roomPerRecord = qsizetype(n) + 1;
    qsizetype capacity = qsizetype(n) + (end - p) + roomPerRecord;

    DataSet set;
    set.m_itemCount = n;
    set.m_text = QString(capacity, Qt::Uninitialized);
    char16_t* base = reinterpret_cast<char16_t*>(set.m_text.data());
    char16_t* out = base;
    set.m_starts.reserve(size_t(slotsFor(recordBound)) + 1);
    const auto markItemStart = [&] { set.m_starts.push_back(quint32(out - base)); };

    // Record 0: n empty items.
    for (int k = 1; k <= n; ++k) {
        markItemStart();
        *out++ = k < n ? ItemSeparator : RecordEnd;
    }

    int records = 0;
    bool lineEnded = hasRecords;
    while (lineEnded) {
        if (records == limit) {
            if (truncated)
                *truncated = true;
            break;
        }
        ++records;
        if (progress && records % ProgressRecords == 0)
            progress(int((p - text.utf16()) * 100 / std::max<qsizetype>(text.size(), 1)));

        const qsizetype used = out - base;
        const qsizetype needed = used + (end - p) + roomPerRecord;
        if (needed > capacity) {
            capacity = std::max(needed, capacity + capacity / 2);
            set.m_text.resize(capacity);
            base = reinterpret_cast<char16_t*>(set.m_text.data());
            out = base + used;
        }

        lineEnded = false;
        bool inQuote = false;
        int field = 1;
        markItemStart();
        while (p < end) {
            const char16_t c = *p++;
            // Every character that needs a decision is at most ','.
            if (c > u',') {
                *out++ = c;
            } else if (c == u'"') {
                inQuote = !inQuote;
            } else if (lfLines ? c == u'\n' : (c == u'\r' && p < end && *p == u'\n')) {
                p += eol - 1;
                lineEnded = true;
                break;
            } else if (c == u'\t' || (c == u',' && !inQuote)) {
                if (field == n) {
                    // The first field beyond the item count ends the record.
                    const char16_t* next = findLineEnd(p, end, lineEnd);
                    lineEnded = next != end;
                    p = lineEnded ? next + eol : end;
                    break;
                }
                *out++ = ItemSeparator;
                markItemStart();
                ++field;
            } else {
                *out++ = c;
            }
        }
        for (; field < n; ++field) {
            *out++ = ItemSeparator;
            markItemStart();
        }
        *out++ = RecordEnd;
    }
    markItemStart();
    set.m_recordCount = records;

    const qsizetype used = out - base;
    set.m_text.truncate(used);
    if (set.m_text.capacity() - used > used / 8)
        set.m_text.squeeze();
    if (set.m_starts.capacity() - set.m_starts.size() > set.m_starts.size() / 8)
        set.m_starts.shrink_to_fit();
    Q_ASSERT(set.m_starts.size() == size_t(slotsFor(records)) + 1);
    if (progress)
        progress(100);
    return set;
}

QStringView DataSet::item(int k, int r) const
{
    if (k < 1 || k > m_itemCount || r < 0 || r > m_recordCount)
        return {};
    const size_t i = size_t(r) * size_t(m_itemCount) + size_t(k - 1);
    const quint32 start = m_starts[i];
    return QStringView(m_text).sliced(start, m_starts[i + 1] - 1 - start);
}

QStringView DataSet::recordView(int r) const
{
    if (m_itemCount < 1 || r < 0 || r > m_recordCount)
        return {};
    const quint32 start = m_starts[size_t(r) * size_t(m_itemCount)];
    const quint32 next = m_starts[size_t(r + 1) * size_t(m_itemCount)];
    return QStringView(m_text).sliced(start, next - 1 - start);
}

qsizetype DataSet::memoryBytes() const
{
    return qsizetype(sizeof(DataSet)) + m_text.capacity() * qsizetype(sizeof(QChar))
        + qsizetype(m_starts.capacity() * sizeof(quint32));
}

void DataSet::clear()
{
    m_text = QString();
    m_starts = std::vector<quint32>();
    m_itemCount = 0;
    m_recordCount = 0;
}

} // namespace korvanta
