#pragma once

#include "core/dataset.h"

#include <QCollator>
#include <QString>
#include <QStringView>

#include <vector>

namespace korvanta {

// The text order of the list sorts (the data list's ascending and descending sort and the
// all-items view's column sort):
//
// 1. The Japanese collation of the platform's collator (ICU), numeric mode off, so "10", "100"
//    and "9" sort as text: 10, 100, 9. The collator's default strength is kept: letter case
//    counts (a lower-case letter sorts just before its capital), while full- and half-width
//    forms and hiragana and katakana of the same sound rank equal in the Japanese collation.
// 2. Texts that the collator ranks equal but that differ in their code units are ordered by
//    their UTF-16 code units, so that identical texts stand together: "あ" (U+3042) before
//    "ア" (U+30A2) before "ｱ" (U+FF71), "a" before "ａ".
// 3. Identical texts keep their original relative order, ascending and descending alike.
//
// Descending is the exact reverse of ascending except for 3.

// A collator set up as in 1.
QCollator listCollator();

// Compares two texts in the list order: negative, 0 (identical texts only) or positive.
int compareListTexts(const QCollator& collator, QStringView a, QStringView b);

// Whether a row counts as blank for the data list's sort: nothing is left after removing the
// spaces (U+0020) at both ends. Other white space, the full-width space U+3000 and TAB included,
// is text.
bool isBlankRow(QStringView text);

// How sortedOrder ranks the distinct texts. Both give exactly the same order; they differ only
// in speed. Collation keys cost about the length of each text, once per text; the collator's
// comparison costs little per call for texts that differ early but runs n log n times. Automatic
// estimates both from the texts' number and length and takes the cheaper.
enum class SortMethod {
    Automatic,
    CollationKeys,
    Comparison,
};

// The permutation of 0 .. texts.size() − 1 that puts `texts` in the list order, ascending or
// descending (element i of the result is the index of the text that goes to position i).
std::vector<int> sortedOrder(const std::vector<QStringView>& texts, bool ascending,
    SortMethod method = SortMethod::Automatic);

// The data list's sort: the indices of the texts that are not blank (isBlankRow), in the list
// order. Blank rows are left out.
std::vector<int> sortedRows(const std::vector<QStringView>& texts, bool ascending);
std::vector<int> sortedRows(const std::vector<QString>& texts, bool ascending);

// The all-items view's column sort: `records` re-ordered by the text of item `item`; every
// record stays, blank or not.
std::vector<int> sortRecordsByItem(
    const DataSet& data, std::vector<int> records, int item, bool ascending);

} // namespace korvanta
