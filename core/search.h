#pragma once

#include "core/dataset.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace korvanta {

// Whether `key` occurs in `text` as one contiguous run, compared code unit by code unit: letter
// case, full- and half-width forms and hiragana and katakana all differ, and nothing is trimmed.
// An empty key occurs in every text.
bool matchesKey(QStringView text, QStringView key);

// How a search key is looked for.
enum class KeyWords {
    // The key as one run, blanks included.
    Whole,
    // The search for several words (AndKensaku): every word of the key (searchWords) must occur,
    // each within one item, in any order.
    All,
};

// The words of a key for the search for several words: the runs between blanks, which are the
// half-width space, the ideographic space (U+3000) and TAB. No word is empty and none holds a
// blank, so a word found in all items joined by TAB lies within one item. A key of blanks only
// has no words, and so is found in every record.
QStringList searchWords(QStringView key);

// The records (1-based, in file order) whose search text contains `key` (matchesKey), or with
// KeyWords::All every word of it. The search text is item `displayItem` of the record for
// displayItem >= 1, and all its items joined by TAB (DataSet::recordView) for displayItem == -1,
// so a key can only run across two items if it holds the TAB itself. Any other item number gives
// every record an empty search text. An empty key gives every record.
std::vector<int> searchRecords(
    const DataSet& data, int displayItem, QStringView key, KeyWords words = KeyWords::Whole);

// Search text with the differences a forgiving search ignores taken out, so that a plain match of
// folded texts ignores them:
// - letter case (ASCII and the rest of the basic plane, code unit by code unit);
// - full and half width: full-width ASCII (FF01-FF5E) becomes ASCII and the ideographic space a
//   blank, except "＊" and "？", which stay so that they never turn into wildcards of the file
//   list's pattern; half-width katakana and punctuation become full width, a half-width kana with
//   a following voiced or semi-voiced mark becoming one voiced kana ("ｶﾞ" as "ガ");
// - katakana and hiragana: katakana become hiragana ("ア", "ｱ" and "あ" all fold to "あ"); a
//   kana followed by a combining voiced mark is composed the same way.
// TAB is never produced nor removed, so folded items joined by TAB are the folded record.
QString foldForSearch(QStringView text);
void appendFoldedForSearch(QString& out, QStringView text);

// The folded search texts of a whole data set, made once per open file while the forgiving search
// is on: item(k, r) is foldForSearch(data.item(k, r)) and recordView(r) the folded items joined by
// TAB, views into one string like the data set's own.
class FoldedDataSet
{
public:
    FoldedDataSet() = default;
    explicit FoldedDataSet(const DataSet& data);

    int itemCount() const { return m_itemCount; }
    int recordCount() const { return m_recordCount; }
    QStringView item(int k, int r) const;
    QStringView recordView(int r) const;
    bool isEmpty() const { return m_recordCount == 0; }

private:
    QString m_text;
    std::vector<quint32> m_starts; // recordCount × itemCount item starts, then the end
    int m_itemCount = 0;
    int m_recordCount = 0;
};

// searchRecords over folded texts: the key is folded here, the texts were folded beforehand. The
// ideographic space folds to a blank, so the words of a folded key are its words folded.
std::vector<int> searchFoldedRecords(
    const FoldedDataSet& data, int displayItem, QStringView key, KeyWords words = KeyWords::Whole);

// The incremental search of one open file: the hits of the keys searched lately, so that a key
// that grows as it is typed is only looked for among the hits of the key it contains, and a key
// shortened again is not searched at all. A record that contains a key contains every part of
// it, so the hits of a key are among the hits of any key it contains. A search is a set of words
// that must all occur (the whole key is one word), so the hits of a search are among those of an
// earlier one whose every word is part of one of its words: "ab" narrows "abc d", and "abc d"
// narrows "abc d e". The results are exactly those of searchRecords (searchFoldedRecords while
// `forgiving`).
class IncrementalSearch
{
public:
    // The records whose search text contains `key` (with KeyWords::All every word of it), as
    // searchRecords gives them. `data` (and `folded`, needed only while `forgiving`) must be the
    // texts of the earlier calls until clear().
    std::vector<int> search(const DataSet& data, const FoldedDataSet* folded, bool forgiving,
        int displayItem, QStringView key, KeyWords words = KeyWords::Whole);
    // Forgets every result; to be called whenever the data change.
    void clear() { m_steps.clear(); }

    // How many records the last search looked at (for the tests).
    qsizetype lastExamined() const { return m_lastExamined; }

private:
    struct Step
    {
        bool forgiving = false;
        int displayItem = 0;
        // The words that all occur in each record, folded while forgiving, sorted and without
        // repeats; a whole key is one word.
        QStringList words;
        std::vector<int> records;
    };
    std::vector<Step> m_steps; // the most recent last
    qsizetype m_lastExamined = 0;
};

// The file list's pattern for a search key: DefaultFilePattern for an empty key, otherwise
// "*" + key + "*.txt;*" + key + "*.CSV". The key goes in unchanged, so wildcards and ";" typed
// into it keep their meaning in the pattern.
QString fileSearchPattern(const QString& key);

// The names a search key leaves in the file list whatever their extension: "*" for an empty key,
// otherwise "*" + key + "*" (wildcards and ";" in the key keep their meaning, as above). A file
// listed besides the pattern (one opened by its path) is filtered by this.
QString fileKeyPattern(const QString& key);

} // namespace korvanta
