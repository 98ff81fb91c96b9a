#include "core/sorting.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace korvanta {

namespace {

    quint64 mix(quint64 h)
    {
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        return h;
    }

    // A fast hash of the code units, four at a time. Only used to find identical texts, so it need
    // not resist crafted input: a bad spread costs time, never a wrong result.
    quint64 hashText(QStringView text)
    {
        constexpr quint64 multiplier = 0x9e3779b97f4a7c15ULL;
        const char16_t* p = text.utf16();
        qsizetype n = text.size();
        quint64 h = quint64(n) * multiplier;
        for (; n >= 4; p += 4, n -= 4) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            h = (h ^ word) * multiplier;
            h ^= h >> 32;
        }
        if (n > 0) {
            quint64 word = 0;
            std::memcpy(&word, p, size_t(n) * sizeof(char16_t));
            h = (h ^ word) * multiplier;
        }
        return mix(h);
    }

    // The distinct texts of a list, in the order they first occur, and for every text of the list
    // the number of its distinct text. Lists often repeat a handful of values (departments, towns),
    // and then only those few need collating.
    struct DistinctTexts
    {
        std::vector<QStringView> texts;
        std::vector<int> idOf; // one per text of the list
        // The code units of `texts` by the collation cost of their characters.
        qint64 asciiUnits = 0; // below U+0080
        qint64 kanaUnits = 0; // hiragana, katakana and half-width katakana
        qint64 otherUnits = 0; // kanji and everything else
    };

    bool isKana(char16_t c)
    {
        return (c >= 0x3040 && c <= 0x30ff) || (c >= 0xff61 && c <= 0xff9f);
    }

    DistinctTexts distinctTexts(const std::vector<QStringView>& list)
    {
        DistinctTexts result;
        result.idOf.resize(list.size());
        size_t capacity = 16;
        while (capacity < list.size() * 2)
            capacity *= 2;
        const size_t mask = capacity - 1;
        std::vector<int> table(capacity, -1); // open addressing, linear probing
        std::vector<quint64> hashes; // of the distinct texts

        for (size_t i = 0; i < list.size(); ++i) {
            const QStringView text = list[i];
            const quint64 hash = hashText(text);
            size_t slot = size_t(hash) & mask;
            int id;
            for (;; slot = (slot + 1) & mask) {
                id = table[slot];
                if (id < 0) {
                    id = int(result.texts.size());
                    table[slot] = id;
                    result.texts.push_back(text);
                    hashes.push_back(hash);
                    for (const QChar c : text) {
                        if (c.unicode() < 0x80)
                            ++result.asciiUnits;
                        else if (isKana(c.unicode()))
                            ++result.kanaUnits;
                        else
                            ++result.otherUnits;
                    }
                    break;
                }
                if (hashes[size_t(id)] == hash && result.texts[size_t(id)] == text)
                    break;
            }
            result.idOf[i] = id;
        }
        return result;
    }

    // Rough costs in nanoseconds, measured with the Japanese collation on this kind of data. A
    // collation key costs a fixed part plus a part per code unit, far more for kana and kanji than
    // for ASCII; comparing two keys is cheap. One collator comparison usually stops at the first
    // difference, and costs more the more of the text is kana or kanji.
    SortMethod cheaperMethod(const DistinctTexts& distinct)
    {
        const double count = double(distinct.texts.size());
        const double ascii = double(distinct.asciiUnits);
        const double kana = double(distinct.kanaUnits);
        const double other = double(distinct.otherUnits);
        const double comparisons = count * std::log2(std::max(count, 2.0));
        const double keys
            = count * 100.0 + ascii * 15.0 + kana * 40.0 + other * 60.0 + comparisons * 8.0;
        const double units = std::max(ascii + kana + other, 1.0);
        const double perComparison = (ascii * 15.0 + kana * 75.0 + other * 50.0) / units;
        return keys <= comparisons * perComparison ? SortMethod::CollationKeys
                                                   : SortMethod::Comparison;
    }

    // The distinct texts' numbers in ascending list order.
    std::vector<int> orderOfDistinct(const DistinctTexts& distinct, SortMethod method)
    {
        const std::vector<QStringView>& texts = distinct.texts;
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        const QCollator collator = listCollator();
        if (method == SortMethod::Automatic)
            method = cheaperMethod(distinct);

        // The texts are distinct, so the order is total and any sort gives the same result; the
        // merge sort needs the fewest comparisons.
        if (method == SortMethod::CollationKeys) {
            std::vector<QCollatorSortKey> keys;
            keys.reserve(texts.size());
            for (const QStringView text : texts)
                keys.push_back(collator.sortKey(text.toString()));
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                const int byKey = keys[size_t(a)].compare(keys[size_t(b)]);
                return byKey != 0 ? byKey < 0 : texts[size_t(a)] < texts[size_t(b)];
            });
        } else {
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return compareListTexts(collator, texts[size_t(a)], texts[size_t(b)]) < 0;
            });
        }
        return order;
    }

} // namespace

QCollator listCollator()
{
    QCollator collator { QLocale(QLocale::Japanese, QLocale::Japan) };
    collator.setNumericMode(false);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setIgnorePunctuation(false);
    return collator;
}

int compareListTexts(const QCollator& collator, QStringView a, QStringView b)
{
    const int byCollator = collator.compare(a, b);
    return byCollator != 0 ? byCollator : a.compare(b, Qt::CaseSensitive);
}

bool isBlankRow(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}

std::vector<int> sortedOrder(
    const std::vector<QStringView>& texts, bool ascending, SortMethod method)
{
    const DistinctTexts distinct = distinctTexts(texts);
    const std::vector<int> order = orderOfDistinct(distinct, method);

    // Place the texts by the rank of their distinct text, in list order within one rank (a
    // counting sort, so identical texts keep their relative order in both directions).
    const int count = int(order.size());
    std::vector<int> rank(order.size());
    for (int i = 0; i < count; ++i)
        rank[size_t(order[size_t(i)])] = ascending ? i : count - 1 - i;
    std::vector<int> next(order.size() + 1, 0);
    for (const int id : distinct.idOf)
        ++next[size_t(rank[size_t(id)]) + 1];
    for (int i = 0; i < count; ++i)
        next[size_t(i) + 1] += next[size_t(i)];
    std::vector<int> result(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        result[size_t(next[size_t(rank[size_t(distinct.idOf[i])])]++)] = int(i);
    return result;
}

std::vector<int> sortedRows(const std::vector<QStringView>& texts, bool ascending)
{
    std::vector<int> kept;
    std::vector<QStringView> keptTexts;
    kept.reserve(texts.size());
    keptTexts.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        if (!isBlankRow(texts[i])) {
            kept.push_back(int(i));
            keptTexts.push_back(texts[i]);
        }
    }
    std::vector<int> rows = sortedOrder(keptTexts, ascending);
    for (int& row : rows)
        row = kept[size_t(row)];
    return rows;
}

std::vector<int> sortedRows(const std::vector<QString>& texts, bool ascending)
{
    return sortedRows(std::vector<QStringView>(texts.begin(), texts.end()), ascending);
}

std::vector<int> sortRecordsByItem(
    const DataSet& data, std::vector<int> records, int item, bool ascending)
{
    std::vector<QStringView> texts;
    texts.reserve(records.size());
    for (const int record : records)
        texts.push_back(data.item(item, record));
    const std::vector<int> order = sortedOrder(texts, ascending);
    std::vector<int> sorted(records.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = records[size_t(order[i])];
    return sorted;
}

} // namespace korvanta
