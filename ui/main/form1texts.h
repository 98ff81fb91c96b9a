#pragma once

#include <QStringView>

namespace korvanta {

// Texts of the main window that more than one place shows or compares.

// Texts that the menu table and the tool-button table share with other places; UTF-8, the form
// those tables hold their captions in.
// The re-list command: the menu entry DataSaiinput and tool button 1's tip in the data view.
inline constexpr const char* ReListCaption = "元ﾃﾞｰﾀｰを再読込み";
// The sort commands of tool buttons 5 and 4, and the status caption after that sort.
inline constexpr const char* SortAscendingCaption = "昇順に並び替え";
inline constexpr const char* SortDescendingCaption = "降順に並び替え";

// The status caption while the data list is listed up. It stays until a row is chosen, so the
// search history reads it to tell that no row was chosen since.
inline constexpr QStringView ListingUpCaption = u"ﾃﾞｰﾀｰをﾘｽﾄｱｯﾌﾟ";

// A folder chosen or dropped that does not exist (any more) or cannot be listed.
inline constexpr QStringView PathNotFoundMessage = u"パスが見つかりません。";

// A command whose memory grows with the data (the forgiving search's texts, a sort, a list-up)
// could not get it; the lists stay as they were.
inline constexpr QStringView MemoryShortMessage = u"メモリーが足りないので、この操作はできません。";
// The forgiving search's folded texts did not fit; the option is turned off.
inline constexpr QStringView ForgivingMemoryShortMessage
    = u"メモリーが足りないので、あいまい検索は使えません。";

} // namespace korvanta
