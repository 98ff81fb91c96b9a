#pragma once

#include "core/dataset.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace korvanta {

// Whether `key` occurs in `text` as one contiguous run, compared code unit by code unit: letter
// case, full- and half-width forms and hiragana and katakana all differ, and nothing is trimmed.
// An empty key occurs in every text.
bool matchesKey(QStringView text, QStringView key);

// The records (1-based, in file order) whose search text contains `key` (matchesKey). The search
// text is item `displayItem` of the record for displayItem >= 1, and all its items joined by TAB
// (DataSet::recordView) for displayItem == -1, so a key can only run across two items if it holds
// the TAB itself. Any other item number gives every record an empty search text. An empty key
// gives every record.
std::vector<int> searchRecords(const DataSet& data, int displayItem, QStringView key);

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

// searchRecords over folded texts: the key is folded here, the texts were folded beforehand.
std::vector<int> searchFoldedRecords(const FoldedDataSet& data, int displayItem, QStringView key);

// The file list's pattern for a search key: "*.CSV;*.txt" for an empty key, otherwise
// "*" + key + "*.txt;*" + key + "*.CSV". The key goes in unchanged, so wildcards and ";" typed
// into it keep their meaning in the pattern.
QString fileSearchPattern(const QString& key);

// The names a search key leaves in the file list whatever their extension: "*" for an empty key,
// otherwise "*" + key + "*" (wildcards and ";" in the key keep their meaning, as above). A file
// listed besides the pattern (one opened by its path) is filtered by this.
QString fileKeyPattern(const QString& key);

} // namespace korvanta
