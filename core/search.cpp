#include "core/search.h"

#include <bit>
#include <cstring>
#include <numeric>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvanta {

namespace {

    // Looks for one key in many texts. The incremental search runs this over every record on each
    // keystroke, so the scan compares eight candidate positions at a time: a position is only
    // checked in full when the text has the key's first code unit there and its last code unit
    // key-length − 1 further on. That filter rejects nearly every position of ordinary text, and it
    // does not depend on how common the key's first character is.
    class KeyFinder
    {
    public:
        explicit KeyFinder(QStringView key)
            : m_key(key.utf16())
            , m_length(key.size())
        {
#if defined(__SSE2__)
            if (m_length > 0) {
                m_first = _mm_set1_epi16(short(m_key[0]));
                m_last = _mm_set1_epi16(short(m_key[m_length - 1]));
            }
#endif
        }

        bool foundIn(QStringView text) const
        {
            if (m_length == 0)
                return true;
            if (m_length > text.size())
                return false;
            const char16_t* s = text.utf16();
            const qsizetype lastStart = text.size() - m_length;
            qsizetype i = 0;
#if defined(__SSE2__)
            // Starts i .. i + 7 need code units up to i + 7 + m_length − 1 <= the text's last one.
            for (; i + 7 <= lastStart; i += 8) {
                const __m128i firsts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
                const __m128i lasts
                    = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m_length - 1));
                unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(
                    _mm_cmpeq_epi16(firsts, m_first), _mm_cmpeq_epi16(lasts, m_last))));
                while (mask != 0) {
                    // Every matching code unit sets two mask bits, one per byte.
                    if (middleMatches(s + i + std::countr_zero(mask) / 2))
                        return true;
                    mask &= mask - 1;
                    mask &= mask - 1;
                }
            }
#endif
            for (; i <= lastStart; ++i) {
                if (s[i] == m_key[0] && s[i + m_length - 1] == m_key[m_length - 1]
                    && middleMatches(s + i))
                    return true;
            }
            return false;
        }

    private:
        // Whether the code units between the first and the last match at `start`.
        bool middleMatches(const char16_t* start) const
        {
            return m_length <= 2
                || std::memcmp(start + 1, m_key + 1, size_t(m_length - 2) * sizeof(char16_t)) == 0;
        }

        const char16_t* m_key;
        qsizetype m_length;
#if defined(__SSE2__)
        __m128i m_first {};
        __m128i m_last {};
#endif
    };

} // namespace

bool matchesKey(QStringView text, QStringView key)
{
    return KeyFinder(key).foundIn(text);
}

std::vector<int> searchRecords(const DataSet& data, int displayItem, QStringView key)
{
    const int count = data.recordCount();
    std::vector<int> records;
    if (key.isEmpty()) {
        records.resize(size_t(count));
        std::iota(records.begin(), records.end(), 1);
        return records;
    }
    records.reserve(size_t(count));
    const KeyFinder finder(key);
    if (displayItem == -1) {
        for (int r = 1; r <= count; ++r) {
            if (finder.foundIn(data.recordView(r)))
                records.push_back(r);
        }
    } else {
        for (int r = 1; r <= count; ++r) {
            if (finder.foundIn(data.item(displayItem, r)))
                records.push_back(r);
        }
    }
    return records;
}

QString fileSearchPattern(const QString& key)
{
    if (key.isEmpty())
        return QStringLiteral("*.CSV;*.txt");
    return QLatin1Char('*') + key + QLatin1String("*.txt;*") + key + QLatin1String("*.CSV");
}

} // namespace korvanta
