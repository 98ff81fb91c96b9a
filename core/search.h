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

// The file list's pattern for a search key: "*.CSV;*.txt" for an empty key, otherwise
// "*" + key + "*.txt;*" + key + "*.CSV". The key goes in unchanged, so wildcards and ";" typed
// into it keep their meaning in the pattern.
QString fileSearchPattern(const QString& key);

} // namespace korvanta
