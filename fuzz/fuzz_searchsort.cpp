// The search and the sorts against plain references: the search against a code-unit substring
// test, the incremental search (one item or all, one key or several words, exact or forgiving)
// typed and deleted one character at a time against the same test, the sorts against a stable
// sort with the list comparison, and the two ways of ranking texts against each other.

#include "core/dataset.h"
#include "core/search.h"
#include "core/sorting.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <vector>

using namespace korvanta;

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "search and sort fuzz: %s\n", what);
        std::abort();
    }
}

// A small alphabet that holds what the comparisons treat specially: case, full and half width,
// hiragana and katakana, numbers, blanks, separators, quotes and line breaks.
const char16_t* const Alphabet[] = { u"a", u"A", u"ａ", u"b", u"あ", u"ア", u"ｱ", u"ｶﾞ", u"ガ",
    u"1", u"10", u"9", u" ", u"　", u"\t", u",", u"\"", u"\r\n", u"\r", u"\n", u"漢", u"-",
    u"\u0301", u"\U0001F600", u"\xFFFD", u"\0" };
constexpr int AlphabetSize = int(sizeof(Alphabet) / sizeof(Alphabet[0]));

QString textOf(const uint8_t* data, size_t size)
{
    QString text;
    for (size_t i = 0; i < size; ++i) {
        const int symbol = data[i] % AlphabetSize;
        if (symbol == AlphabetSize - 1)
            text.append(QChar(u'\0'));
        else
            text.append(QString::fromUtf16(Alphabet[symbol]));
    }
    return text;
}

bool referenceContains(QStringView text, QStringView key)
{
    return key.isEmpty()
        || std::search(text.begin(), text.end(), key.begin(), key.end()) != text.end();
}

// The words of a key for the search for several words, split at the blanks of both widths and
// TAB; or the whole key as one word.
std::vector<QString> referenceWords(const QString& key, bool allWords)
{
    if (!allWords)
        return { key };
    std::vector<QString> words;
    QString word;
    for (const QChar c : key + u' ') {
        if (c == u' ' || c == QChar(0x3000) || c == u'\t') {
            if (!word.isEmpty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// The records whose search text holds every word, by a plain scan.
std::vector<int> referenceSearch(
    const DataSet& set, int displayItem, const QString& key, bool allWords, bool forgiving)
{
    const std::vector<QString> words
        = referenceWords(forgiving ? foldForSearch(key) : key, allWords);
    std::vector<int> hits;
    for (int r = 1; r <= set.recordCount(); ++r) {
        QString searched;
        if (displayItem == -1) {
            for (int k = 1; k <= set.itemCount(); ++k) {
                if (k > 1)
                    searched += u'\t';
                searched += forgiving ? foldForSearch(set.item(k, r)) : set.itemString(k, r);
            }
        } else if (displayItem >= 1 && displayItem <= set.itemCount()) {
            searched = forgiving ? foldForSearch(set.item(displayItem, r))
                                 : set.itemString(displayItem, r);
        }
        if (std::all_of(words.begin(), words.end(),
                [&](const QString& w) { return referenceContains(searched, w); }))
            hits.push_back(r);
    }
    return hits;
}

std::vector<int> referenceOrder(
    const QCollator& collator, const std::vector<QStringView>& texts, bool ascending)
{
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareListTexts(collator, texts[a], texts[b]);
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int itemCount = 1 + data[0] % 4;
    const int displayItem = int(data[1] % (itemCount + 3)) - 1; // -1 to itemCount + 1
    const size_t keyLength = std::min<size_t>(data[2] % 5, size - 3);
    const bool ascending = data[3] % 2 == 0;
    const QString key = textOf(data + 3, keyLength);
    const QString text
        = QStringLiteral("h\r\n") + textOf(data + 3 + keyLength, size - 3 - keyLength);

    const DataSet set = DataSet::fromFileText(text, itemCount);

    // Search: the records whose search text holds the key, in file order.
    std::vector<int> expected;
    for (int r = 1; r <= set.recordCount(); ++r) {
        const QStringView searched = displayItem == -1 ? set.recordView(r)
            : displayItem >= 1                         ? set.item(displayItem, r)
                                                       : QStringView();
        require(matchesKey(searched, key) == referenceContains(searched, key), "matchesKey");
        if (referenceContains(searched, key))
            expected.push_back(r);
    }
    require(searchRecords(set, displayItem, key) == expected, "searchRecords");

    // The incremental search, the key typed one character at a time and deleted again from its
    // middle, equals the plain scan at every step.
    {
        const bool allWords = (data[3] >> 1) % 2 == 1;
        const bool forgiving = (data[3] >> 2) % 2 == 1;
        const KeyWords mode = allWords ? KeyWords::All : KeyWords::Whole;
        const FoldedDataSet folded(set);
        IncrementalSearch search;
        const auto step = [&](const QString& typed) {
            require(search.search(set, &folded, forgiving, displayItem, typed, mode)
                    == referenceSearch(set, displayItem, typed, allWords, forgiving),
                "incremental search");
        };
        for (qsizetype n = 1; n <= key.size(); ++n)
            step(key.left(n));
        QString typed = key;
        while (!typed.isEmpty()) {
            typed.remove(typed.size() / 2, 1);
            step(typed);
        }
    }

    // Sorts of item 1 of the records that were found.
    static const QCollator collator = listCollator();
    std::vector<QStringView> texts;
    std::vector<QString> owned;
    for (int r : expected) {
        texts.push_back(set.item(1, r));
        owned.push_back(set.itemString(1, r));
    }
    const std::vector<int> reference = referenceOrder(collator, texts, ascending);
    require(sortedOrder(texts, ascending, SortMethod::Comparison) == reference,
        "sortedOrder by comparison");
    require(sortedOrder(texts, ascending, SortMethod::CollationKeys) == reference,
        "sortedOrder by collation keys");
    require(sortedOrder(texts, ascending) == reference, "sortedOrder");
    // Only identical texts may compare equal, and the order is antisymmetric.
    for (size_t i = 0; i + 1 < texts.size(); ++i) {
        const int c = compareListTexts(collator, texts[i], texts[i + 1]);
        require((c == 0) == (texts[i] == texts[i + 1]), "equal but not identical");
        require((c < 0) == (compareListTexts(collator, texts[i + 1], texts[i]) > 0),
            "not antisymmetric");
    }

    // The data list's sort leaves out blank rows and keeps the rest in the same order.
    std::vector<int> nonBlank;
    for (int i : reference) {
        if (!isBlankRow(texts[size_t(i)]))
            nonBlank.push_back(i);
    }
    require(sortedRows(texts, ascending) == nonBlank, "sortedRows");
    require(sortedRows(owned, ascending) == nonBlank, "sortedRows of strings");

    // The all-items view's column sort keeps every record.
    std::vector<int> byItem;
    for (int i : reference)
        byItem.push_back(expected[size_t(i)]);
    require(sortRecordsByItem(set, expected, 1, ascending) == byItem, "sortRecordsByItem");
    return 0;
}
