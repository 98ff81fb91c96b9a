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
// The tool tips of ToolButton(0) to ToolButton(6) in the file view. A tip is also the button's
// name for assistive technology, and the manual's legend names its pictures with them.
inline constexpr const char* ToolButtonTips[] = {
    "ﾃﾞｰﾀｰ表示の切替",
    "ﾌｫﾙﾀﾞｰ窓の表示切替",
    "他ﾌｫﾙﾀﾞｰの参照",
    "設定を表示します",
    SortDescendingCaption,
    SortAscendingCaption,
    "ウェブ・メーラーを開く",
};

// The names that assistive technology gives the search box and the lists (a screen reader says
// which one has the focus).
inline constexpr QStringView SearchBoxName = u"検索ｷｰ";
inline constexpr QStringView SearchHistoryName = u"検索ｷｰの履歴"; // the search box's drop-down
inline constexpr QStringView FolderListName = u"ﾌｫﾙﾀﾞｰ";
inline constexpr QStringView FileListName = u"ﾌｧｲﾙ";
inline constexpr QStringView DataListName = u"ﾃﾞｰﾀｰ";
inline constexpr QStringView AllItemsViewName = u"全項目";

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
