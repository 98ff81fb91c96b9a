#include "core/search.h"

#include "core/filepattern.h"

#include <algorithm>
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

        qsizetype length() const { return m_length; }

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

namespace {

    template <class Texts> QStringView searchText(const Texts& data, int displayItem, int r)
    {
        return displayItem == -1 ? data.recordView(r) : data.item(displayItem, r);
    }

    // The words a key is looked for as: the whole key, or its words (searchWords). None is empty.
    QStringList wordsOf(QStringView key, KeyWords words)
    {
        if (words == KeyWords::All)
            return searchWords(key);
        return key.isEmpty() ? QStringList() : QStringList { key.toString() };
    }

    // Looks for several words at once: a text matches when it holds every one. The longest word
    // is tried first, as the one that rules out the most texts.
    class WordsFinder
    {
    public:
        explicit WordsFinder(const QStringList& words)
        {
            m_finders.reserve(size_t(words.size()));
            for (const QString& word : words)
                m_finders.emplace_back(word);
            std::sort(m_finders.begin(), m_finders.end(),
                [](const KeyFinder& a, const KeyFinder& b) { return a.length() > b.length(); });
        }

        bool foundIn(QStringView text) const
        {
            for (const KeyFinder& finder : m_finders) {
                if (!finder.foundIn(text))
                    return false;
            }
            return true;
        }

    private:
        std::vector<KeyFinder> m_finders;
    };

    // The records holding every word, looked for in all records or only in `among`.
    template <class Texts>
    std::vector<int> searchIn(const Texts& data, int displayItem, const QStringList& words,
        const std::vector<int>* among = nullptr)
    {
        std::vector<int> records;
        if (words.isEmpty()) {
            if (among)
                return *among;
            records.resize(size_t(data.recordCount()));
            std::iota(records.begin(), records.end(), 1);
            return records;
        }
        records.reserve(among ? among->size() : size_t(data.recordCount()));
        // One loop for either finder, made for each so that the scan calls it directly.
        const auto keepFound = [&](const auto& finder) {
            if (among) {
                for (const int r : *among) {
                    if (finder.foundIn(searchText(data, displayItem, r)))
                        records.push_back(r);
                }
            } else {
                const int count = data.recordCount();
                for (int r = 1; r <= count; ++r) {
                    if (finder.foundIn(searchText(data, displayItem, r)))
                        records.push_back(r);
                }
            }
        };
        if (words.size() == 1)
            keepFound(KeyFinder(words.front()));
        else
            keepFound(WordsFinder(words));
        records.shrink_to_fit();
        return records;
    }

    // Half-width katakana FF66 (ｦ) to FF9D (ﾝ) as full-width katakana.
    constexpr char16_t HalfWidthKana[]
        = u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミ"
          u"ムメモヤユヨラリルレロワン";

    constexpr bool isVoiceMark(char16_t c)
    {
        return c == 0xFF9E || c == 0x3099;
    }
    constexpr bool isSemiVoiceMark(char16_t c)
    {
        return c == 0xFF9F || c == 0x309A;
    }

    // The voiced form of a hiragana, 0 when it has none.
    constexpr char16_t voiced(char16_t h)
    {
        if ((h >= u'か' && h <= u'ち' && (h - u'か') % 2 == 0) || h == u'つ' || h == u'て'
            || h == u'と')
            return char16_t(h + 1);
        if (h >= u'は' && h <= u'ほ' && (h - u'は') % 3 == 0)
            return char16_t(h + 1);
        if (h == u'う')
            return u'ゔ';
        if (h == u'ゝ')
            return u'ゞ';
        return 0;
    }

    constexpr char16_t semiVoiced(char16_t h)
    {
        return h >= u'は' && h <= u'ほ' && (h - u'は') % 3 == 0 ? char16_t(h + 2) : 0;
    }

} // namespace

QStringList searchWords(QStringView key)
{
    QStringList words;
    qsizetype start = 0;
    const qsizetype n = key.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || key[i] == u' ' || key[i] == u'\u3000' || key[i] == u'\t') {
            if (i > start)
                words.append(key.mid(start, i - start).toString());
            start = i + 1;
        }
    }
    return words;
}

std::vector<int> searchRecords(
    const DataSet& data, int displayItem, QStringView key, KeyWords words)
{
    return searchIn(data, displayItem, wordsOf(key, words));
}

void appendFoldedForSearch(QString& out, QStringView text)
{
    const qsizetype n = text.size();
    const char16_t* s = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = s[i];
        if (c < 0x80) {
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
            out.append(QChar(c));
            continue;
        }
        bool kana = false;
        if (c >= 0xFF01 && c <= 0xFF5E && c != 0xFF0A && c != 0xFF1F) {
            c = char16_t(c - 0xFEE0);
            if (c >= u'A' && c <= u'Z')
                c = char16_t(c + 32);
            out.append(QChar(c));
            continue;
        }
        if (c == 0x3000) {
            out.append(QLatin1Char(' '));
            continue;
        }
        if (c >= 0xFF61 && c <= 0xFF9F) {
            static constexpr char16_t punctuation[] = { u'。', u'「', u'」', u'、', u'・' };
            if (c <= 0xFF65)
                c = punctuation[c - 0xFF61];
            else if (c <= 0xFF9D)
                c = HalfWidthKana[c - 0xFF66];
            else
                c = c == 0xFF9E ? u'゛' : u'゜';
        }
        if (c >= u'ァ' && c <= u'ヶ') {
            c = char16_t(c - 0x60);
            kana = true;
        } else if (c == u'ヽ' || c == u'ヾ') {
            c = char16_t(c - 0x60);
            kana = true;
        } else if ((c >= u'ぁ' && c <= u'ゖ') || c == u'ゝ' || c == u'ゞ') {
            kana = true;
        } else if (!QChar::isSurrogate(c)) {
            c = char16_t(QChar::toCaseFolded(char32_t(c)));
        }
        if (kana && i + 1 < n) {
            const char16_t next = s[i + 1];
            const char16_t composed = isVoiceMark(next) ? voiced(c)
                : isSemiVoiceMark(next)                 ? semiVoiced(c)
                                                        : 0;
            if (composed != 0) {
                c = composed;
                ++i;
            }
        }
        out.append(QChar(c));
    }
}

QString foldForSearch(QStringView text)
{
    QString out;
    out.reserve(text.size());
    appendFoldedForSearch(out, text);
    return out;
}

FoldedDataSet::FoldedDataSet(const DataSet& data)
    : m_itemCount(data.itemCount())
    , m_recordCount(data.recordCount())
{
    qsizetype length = 0;
    for (int r = 1; r <= m_recordCount; ++r)
        length += data.recordView(r).size() + 1;
    m_text.reserve(length);
    m_starts.reserve(size_t(m_recordCount) * size_t(m_itemCount) + 1);
    for (int r = 1; r <= m_recordCount; ++r) {
        for (int k = 1; k <= m_itemCount; ++k) {
            if (k > 1)
                m_text.append(QLatin1Char('\t'));
            m_starts.push_back(quint32(m_text.size()));
            appendFoldedForSearch(m_text, data.item(k, r));
        }
        m_text.append(QChar(u'\0'));
    }
    m_starts.push_back(quint32(m_text.size()));
}

QStringView FoldedDataSet::item(int k, int r) const
{
    if (k < 1 || k > m_itemCount || r < 1 || r > m_recordCount)
        return {};
    const size_t at = size_t(r - 1) * size_t(m_itemCount) + size_t(k - 1);
    // An item ends one character before the next item's start: at its TAB, or at the record's NUL.
    const qsizetype begin = m_starts[at];
    const qsizetype end = qsizetype(m_starts[at + 1]) - 1;
    return QStringView(m_text).mid(begin, end - begin);
}

QStringView FoldedDataSet::recordView(int r) const
{
    if (r < 1 || r > m_recordCount || m_itemCount < 1)
        return {};
    const size_t first = size_t(r - 1) * size_t(m_itemCount);
    const qsizetype begin = m_starts[first];
    const qsizetype end = qsizetype(m_starts[first + size_t(m_itemCount)]) - 1;
    return QStringView(m_text).mid(begin, end - begin);
}

std::vector<int> searchFoldedRecords(
    const FoldedDataSet& data, int displayItem, QStringView key, KeyWords words)
{
    return searchIn(data, displayItem, wordsOf(foldForSearch(key), words));
}

namespace {

    // Keys remembered per open file. Each holds at most one record number per record.
    constexpr size_t RememberedSteps = 8;

    // Whether every record that holds all of `wanted` holds all of `earlier`: each earlier word
    // is part of a wanted one.
    bool narrows(const QStringList& earlier, const QStringList& wanted)
    {
        return std::all_of(earlier.begin(), earlier.end(), [&](const QString& e) {
            return std::any_of(
                wanted.begin(), wanted.end(), [&](const QString& w) { return w.contains(e); });
        });
    }

} // namespace

std::vector<int> IncrementalSearch::search(const DataSet& data, const FoldedDataSet* folded,
    bool forgiving, int displayItem, QStringView key, KeyWords words)
{
    m_lastExamined = 0;
    if (forgiving && !folded)
        return searchRecords(data, displayItem, key, words);
    QStringList wanted = wordsOf(forgiving ? QStringView(foldForSearch(key)) : key, words);
    if (wanted.isEmpty())
        return forgiving ? searchIn(*folded, displayItem, wanted)
                         : searchIn(data, displayItem, wanted);
    wanted.sort();
    wanted.removeDuplicates();

    // The same words again, or the smallest set of hits of words that `wanted` narrows.
    const Step* narrowest = nullptr;
    for (auto it = m_steps.begin(); it != m_steps.end(); ++it) {
        if (it->forgiving != forgiving || it->displayItem != displayItem)
            continue;
        if (it->words == wanted) {
            // Used again: it becomes the most recent.
            Step step = std::move(*it);
            m_steps.erase(it);
            m_steps.push_back(std::move(step));
            return m_steps.back().records;
        }
        if (narrows(it->words, wanted)
            && (!narrowest || it->records.size() < narrowest->records.size()))
            narrowest = &*it;
    }

    Step step { forgiving, displayItem, wanted, {} };
    const std::vector<int>* among = narrowest ? &narrowest->records : nullptr;
    m_lastExamined = among ? qsizetype(among->size()) : data.recordCount();
    step.records = forgiving ? searchIn(*folded, displayItem, wanted, among)
                             : searchIn(data, displayItem, wanted, among);
    if (m_steps.size() >= RememberedSteps)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(std::move(step));
    return m_steps.back().records;
}

QString fileSearchPattern(const QString& key)
{
    if (key.isEmpty())
        return DefaultFilePattern.toString();
    return QLatin1Char('*') + key + QLatin1String("*.txt;*") + key + QLatin1String("*.CSV");
}

QString fileKeyPattern(const QString& key)
{
    return QLatin1Char('*') + key + (key.isEmpty() ? QString() : QStringLiteral("*"));
}

} // namespace korvanta
