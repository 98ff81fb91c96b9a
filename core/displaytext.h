#pragma once

#include <QString>
#include <QStringView>

namespace korvanta {

// The mark that ends a text cut short for showing, and the mark (with a blank) that ends a
// shortened name.
inline constexpr QChar CutMark = QChar(0x2026);
inline constexpr QStringView ShortenedNameMark = u"\u2026 ";

// The most characters of one data text that a window shows at a time: the status label, the data
// lists and the item chooser. Far more than any window is wide, and little enough that laying
// the text out stays quick however long an item is (files may hold items of megabytes).
inline constexpr qsizetype ShownTextLimit = 500;

// `text` as a window shows it: whole when it has at most `limit` characters, else its first
// `limit` characters (never half of a surrogate pair) followed by "…". Only what is shown is
// cut; the data and the clipboard keep the whole text.
QString cutForDisplay(QStringView text, qsizetype limit = ShownTextLimit);

} // namespace korvanta
