#include "core/dataset.h"

#include "core/lineends.h"
#include "core/memorypages.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

    // A whole text is split in pieces of this many characters, and progress is reported after
    // each.
    constexpr qsizetype ProgressChars = qsizetype(1) << 20;

} // namespace

DataSet DataSet::fromFileText(QStringView text, int itemCount, bool* truncated, int recordLimit,
    const std::function<void(int)>& progress)
{
    if (text.size() > MaxTextLength)
        throw std::length_error("data file text too long");
    const char16_t* const begin = text.utf16();
    const char16_t* const end = begin + text.size();
    DataSetSplitter splitter(itemCount, lineEndOf(begin, end), recordLimit, text.size());
    // Every record but the last ends at a LF: one vectorised count gives the item starts their
    // room at once.
    splitter.expectRecords(std::count(begin, end, u'\n') + 1);
    for (qsizetype done = 0; done < text.size();) {
        const qsizetype piece = std::min(ProgressChars, text.size() - done);
        if (!splitter.add(text.sliced(done, piece)))
            break;
        done += piece;
        if (progress && done < text.size())
            progress(int(done * 100 / text.size()));
    }
    DataSet set = splitter.finish(truncated);
    if (progress)
        progress(100);
    return set;
}

// ---- Splitting piece by piece

DataSetSplitter::DataSetSplitter(
    int itemCount, LineEnd lineEnd, int recordLimit, qsizetype expectedLength)
    : m_itemCount(std::clamp(itemCount, 1, MaxItemCount))
    , m_limit(std::max(recordLimit, 0))
    , m_lineEnd(lineEnd)
{
    const int n = m_itemCount;
    m_set.m_itemCount = n;
    // Record 0, the text and one record's separators and end mark.
    const qsizetype most = m_limit < NoRecordLimit ? LimitedTextRoom : MaxTextLength;
    reserveText(qsizetype(n) + std::clamp<qsizetype>(expectedLength, 0, most) + n + 1);
    m_set.m_starts.reserve(size_t(n) + 1);
    // Record 0: n empty items.
    for (int k = 1; k <= n; ++k) {
        markItemStart();
        *m_out++ = k < n ? ItemSeparator : RecordEnd;
    }
}

void DataSetSplitter::expectRecords(qsizetype records)
{
    const qsizetype kept = std::clamp<qsizetype>(records, 0, m_limit);
    const qsizetype items = (kept + 1) * m_itemCount;
    // A bound that could not be held is left to the checks while splitting.
    if (items <= MaxItemSlots)
        m_set.m_starts.reserve(size_t(items) + 1);
    if (m_limit < NoRecordLimit && m_records > 0 && kept > m_records) {
        const double perRecord = double(m_out - m_base) / double(m_records + 1);
        const double more = perRecord * double(kept - m_records) * 1.02;
        if (more < double(MaxTextLength))
            reserveText(qsizetype(more));
    }
}

void DataSetSplitter::reserveText(qsizetype more)
{
    const qsizetype used = m_out - m_base;
    if (m_capacity - used >= more)
        return;
    const qsizetype capacity = std::max(used + more, m_capacity + m_capacity / 2);
    // Grown in place where it can be: the characters beyond `used` are written before they
    // are read, so they are never filled.
    if (m_capacity == 0)
        m_set.m_text = QString(capacity, Qt::Uninitialized);
    else
        m_set.m_text.resize(capacity);
    m_base = reinterpret_cast<char16_t*>(m_set.m_text.data());
    m_out = m_base + used;
    m_capacity = capacity;
    m_textReady = reinterpret_cast<char*>(m_out);
}

void DataSetSplitter::checkItemRoom(const char16_t* p, const char16_t* end) const
{
    const auto slotsFor = [this](qsizetype records) {
        return (std::min<qsizetype>(records, m_limit) + 1) * m_itemCount;
    };
    // Each line end of the piece begins at most one record; a piece can hold no more line ends
    // than characters.
    if (slotsFor(m_records + (end - p)) <= MaxItemSlots)
        return;
    qsizetype lineEnds = 0;
    if (m_lineEnd == LineEnd::Lf) {
        lineEnds = std::count(p, end, u'\n');
    } else {
        for (const char16_t* lf = std::find(p, end, u'\n'); lf != end;
            lf = std::find(lf + 1, end, u'\n')) {
            if (lf == p ? m_pendingCr : lf[-1] == u'\r')
                ++lineEnds;
        }
    }
    // The small file with a very long first line and many empty lines is refused before its
    // items are made.
    if (slotsFor(m_records + lineEnds) > MaxItemSlots)
        throw std::length_error("too many items in the data file");
}

bool DataSetSplitter::startRecord(qsizetype rest)
{
    if (m_records == m_limit) {
        m_truncated = true;
        m_state = State::Full;
        return false;
    }
    ++m_records;
    if ((qsizetype(m_records) + 1) * m_itemCount > MaxItemSlots)
        throw std::length_error("too many items in the data file");
    // A record's text never needs more room than its own characters plus one separator per
    // item and its end mark, so room for the rest of the piece and that much is made once per
    // record; only records with missing items make the text grow.
    m_set.m_starts.reserveMore(size_t(m_itemCount) + 1);
    reserveText(rest + m_itemCount + 1);
    m_inQuote = false;
    m_field = 1;
    markItemStart();
    m_state = State::Record;
    return true;
}

void DataSetSplitter::closeRecord()
{
    for (; m_field < m_itemCount; ++m_field) {
        *m_out++ = ItemSeparator;
        markItemStart();
    }
    *m_out++ = RecordEnd;
}

const char16_t* DataSetSplitter::skipToLineEnd(const char16_t* p, const char16_t* end, bool* found)
{
    *found = false;
    if (m_lineEnd == LineEnd::Lf) {
        p = std::find(p, end, u'\n');
        if (p == end)
            return end;
        *found = true;
        return p + 1;
    }
    for (;;) {
        p = std::find(p, end, u'\r');
        if (p == end)
            return end;
        if (p + 1 == end) {
            m_pendingCr = true;
            return end;
        }
        if (p[1] == u'\n') {
            *found = true;
            return p + 2;
        }
        ++p;
    }
}

const char16_t* DataSetSplitter::splitRecord(
    const char16_t* p, const char16_t* end, bool* lineEnded)
{
    *lineEnded = false;
    const bool lfLines = m_lineEnd == LineEnd::Lf;
    const int n = m_itemCount;
    char16_t* out = m_out;
    while (p < end) {
#if defined(__SSE2__)
        // Runs of characters that need no decision are copied eight at a time. All eight are
        // stored even when the run is shorter: the output never passes the input, and the
        // room for the rest of the piece is made, so what lies past the run is room written
        // again later.
        const __m128i comma = _mm_set1_epi16(short(u','));
        while (end - p >= 8) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), chunk);
            // Zero where a character is at most ',' (the unsigned difference saturates).
            const __m128i above = _mm_subs_epu16(chunk, comma);
            const unsigned decisions
                = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(above, _mm_setzero_si128())));
            if (decisions == 0) {
                p += 8;
                out += 8;
                continue;
            }
            const int run = __builtin_ctz(decisions) / 2;
            p += run;
            out += run;
            break;
        }
        if (p == end)
            break;
#endif
        const char16_t c = *p++;
        // Every character that needs a decision is at most ','.
        if (c > u',') {
            *out++ = c;
        } else if (c == u'"') {
            m_inQuote = !m_inQuote;
        } else if (c == u'\n' && lfLines) {
            *lineEnded = true;
            break;
        } else if (c == u'\r' && !lfLines) {
            if (p == end) {
                // Whether a LF follows is for the next piece to tell.
                m_pendingCr = true;
                break;
            }
            if (*p == u'\n') {
                ++p;
                *lineEnded = true;
                break;
            }
            *out++ = c;
        } else if (c == u'\t' || (c == u',' && !m_inQuote)) {
            m_out = out;
            if (m_field == n) {
                // The first field beyond the item count ends the record.
                closeRecord();
                m_state = State::SkipToLineEnd;
                return p;
            }
            *m_out++ = ItemSeparator;
            markItemStart();
            ++m_field;
            out = m_out;
        } else {
            *out++ = c;
        }
    }
    m_out = out;
    return p;
}

void DataSetSplitter::readyAhead(qsizetype pieceLength)
{
    // Only large sets gain: a small one is written to pages already in use.
    if (m_capacity < qsizetype(ReadyAheadBytes))
        return;
    char* const textEnd = reinterpret_cast<char*>(m_base + m_capacity);
    char* const textNeeded = reinterpret_cast<char*>(m_out + pieceLength) + 2 * m_itemCount;
    if (textNeeded > m_textReady && m_textReady < textEnd)
        m_textReady
            = makePagesReady(std::max(m_textReady, reinterpret_cast<char*>(m_out)), textEnd);
    ItemStarts& starts = m_set.m_starts;
    char* const startsEnd = reinterpret_cast<char*>(starts.m_data + starts.m_capacity);
    char* const startsOut = reinterpret_cast<char*>(starts.m_data + starts.m_size);
    if (starts.m_data != m_startsBase) {
        m_startsBase = starts.m_data;
        m_startsReady = startsOut;
    }
    // A start for every fourth character of the piece, more than the items of a file need.
    if (startsOut + pieceLength * sizeof(quint32) / 4 > m_startsReady && m_startsReady < startsEnd)
        m_startsReady = makePagesReady(std::max(m_startsReady, startsOut), startsEnd);
}

bool DataSetSplitter::add(QStringView piece)
{
    if (m_state == State::Full)
        return false;
    if (piece.isEmpty())
        return true;
    m_length += piece.size();
    if (m_length > MaxTextLength)
        throw std::length_error("data file text too long");
    const char16_t* p = piece.utf16();
    const char16_t* const end = p + piece.size();
    checkItemRoom(p, end);
    // The rest of a record begun in an earlier piece, with a CR held back from it.
    if (m_state == State::Record)
        reserveText((end - p) + 1 + m_itemCount + 1);

    readyAhead(end - p);

    const auto lineEnded = [&] {
        if (m_state == State::Record)
            closeRecord();
        return startRecord(end - p);
    };
    if (m_pendingCr) {
        m_pendingCr = false;
        if (*p == u'\n') {
            ++p;
            if (!lineEnded())
                return false;
        } else if (m_state == State::Record) {
            *m_out++ = u'\r'; // a lone CR is text
        }
    }
    while (p < end) {
        bool found = false;
        switch (m_state) {
        case State::Header:
        case State::SkipToLineEnd:
            p = skipToLineEnd(p, end, &found);
            break;
        case State::Record:
            p = splitRecord(p, end, &found);
            break;
        case State::Full:
            return false;
        }
        if (found && !lineEnded())
            return false;
    }
    return true;
}

DataSet DataSetSplitter::finish(bool* truncated)
{
    if (m_pendingCr) {
        // A CR at the very end is text (the room for it was made with its piece).
        m_pendingCr = false;
        if (m_state == State::Record)
            *m_out++ = u'\r';
    }
    if (m_state == State::Record)
        closeRecord();
    m_set.m_starts.reserveMore(1);
    markItemStart();
    m_set.m_recordCount = m_records;
    Q_ASSERT(m_set.m_starts.size() == (size_t(m_records) + 1) * size_t(m_itemCount) + 1);

    // The room never written is given back, in place.
    const qsizetype used = m_out - m_base;
    m_set.m_text.truncate(used);
    if (m_set.m_text.capacity() - used > used / 8)
        m_set.m_text.squeeze();
    m_set.m_starts.trim();
    if (truncated)
        *truncated = m_truncated;

    DataSet set = std::move(m_set);
    m_set = DataSet();
    m_base = m_out = nullptr;
    m_capacity = 0;
    m_length = 0;
    m_records = 0;
    m_state = State::Full;
    return set;
}

// ---- The item starts

ItemStarts::ItemStarts(const ItemStarts& other)
{
    if (other.m_size == 0)
        return;
    reserve(other.m_size);
    std::memcpy(m_data, other.m_data, other.m_size * sizeof(quint32));
    m_size = other.m_size;
}

ItemStarts::ItemStarts(ItemStarts&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_capacity(std::exchange(other.m_capacity, 0))
{
}

ItemStarts& ItemStarts::operator=(ItemStarts other) noexcept
{
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_capacity, other.m_capacity);
    return *this;
}

ItemStarts::~ItemStarts()
{
    std::free(m_data);
}

void ItemStarts::reserve(size_t capacity)
{
    if (capacity <= m_capacity)
        return;
    if (capacity > std::numeric_limits<size_t>::max() / sizeof(quint32))
        throw std::bad_alloc();
    // realloc moves a large block by remapping its pages, without copying them.
    void* grown = std::realloc(m_data, capacity * sizeof(quint32));
    if (!grown)
        throw std::bad_alloc();
    m_data = static_cast<quint32*>(grown);
    m_capacity = capacity;
}

void ItemStarts::trim()
{
    if (m_capacity - m_size <= m_size / 8)
        return;
    if (m_size == 0) {
        std::free(m_data);
        m_data = nullptr;
        m_capacity = 0;
        return;
    }
    // Shrinking in place; should it fail, the larger block is kept.
    if (void* shrunk = std::realloc(m_data, m_size * sizeof(quint32))) {
        m_data = static_cast<quint32*>(shrunk);
        m_capacity = m_size;
    }
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
    m_starts = ItemStarts();
    m_itemCount = 0;
    m_recordCount = 0;
}

} // namespace korvanta
