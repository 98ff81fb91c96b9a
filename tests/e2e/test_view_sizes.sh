#!/usr/bin/env bash
# The all-items window's size and the main window's size stay apart on the roads out of the
# all-items view that are not its own double click:
# - "ﾃﾞﾌｫﾙﾄﾌｫﾙﾀﾞｰに戻る" from the all-items view;
# - a double click on the cover after an all-items open that failed (the file was deleted while
#   the item chooser was up).
# On each road the user widens the all-items window first. The file list then comes back at the
# main window's size, and after closing the settings file holds the main size as the window's
# and the widened size as the all-items window's.
#
# Usage: bash test_view_sizes.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init view-sizes "$@"
e2e_program_folder

DATA="$WORK/data"
rm -rf -- "$DATA"
mkdir -p "$DATA" || exit 1

# The settings of a start in $DATA (not the program folder, so that the default folder is
# offered), goods.csv remembered in the all-items view; the main window 4500 x 6000, the
# all-items window 9000 x 6000.
write_settings() {
    {
        normal_tool_section | sed "s|^FilePath=.*|FilePath=$DATA/|"
        printf '%s\n' '[goods.csv]' 'SentakuKoumokuNo=-1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    } | write_ini
    write_goods
    mv -f -- "$PROG/goods.csv" "$DATA/goods.csv"
}

frame_size() { frame_geometry | awk '{ print $3 " " $4 }'; }

# widen: sizes the all-items window as a user would (a client area of 700 x 450) and sets WIDE to
# its frame's size in twips, "WIDTH HEIGHT".
widen() {
    xdotool windowsize "$WID" 700 450
    poll 50 eval 'client_geometry && [[ "$WIDTH $HEIGHT" == "700 450" ]]' ||
        fail "the all-items window did not take the size 700 x 450"
    local s
    s=($(frame_size))
    WIDE="$((s[0] * 15)) $((s[1] * 15))"
}

# stored_sizes_are WHAT: after closing, [Position] holds the main size 4500 x 6000 and the
# all-items size $WIDE.
stored_sizes_are() {
    local main view
    main="$(ini_get Position Width) $(ini_get Position Height)"
    view="$(ini_get Position ViewFormWidth) $(ini_get Position ViewFormHight)"
    check "$1: the stored main size is 4500 6000 (got $main)" test "$main" = "4500 6000"
    check "$1: the stored all-items size is $WIDE (got $view)" test "$view" = "$WIDE"
}

# --- ﾃﾞﾌｫﾙﾄﾌｫﾙﾀﾞｰに戻る from the all-items view
write_settings
start_and_open "A-01" "opening goods.csv in the all-items view"
widen
menu_pick "$MENU_DATA_X" "$(menu_entry_y 3)"
poll 50 eval '[[ "$(frame_size)" == "300 400" ]]'
check "back in the default folder, the window has the main size 300 x 400 (frame $(frame_size))" \
    test "$(frame_size)" = "300 400"
app_close
stored_sizes_are "ﾃﾞﾌｫﾙﾄﾌｫﾙﾀﾞｰに戻る"

# --- a double click on the cover after a failed all-items open
write_settings
app_start || e2e_finish
right_click_in "$ROW_X" "$(row_y 0)"
poll 30 popup_shown || abort "the item chooser did not pop up over goods.csv"
rm -f -- "$DATA/goods.csv"
# The last entries: 全項目ﾃﾞｰﾀｰ, a separator, ﾌｧｲﾙの編集.
key Up Up Return
BOX=$(wait_for_window Korvanta 50) || abort "no message box for the deleted goods.csv"
activate "$BOX"
key Return
poll 50 eval '[[ -z "$(other_window Korvanta)" ]]'
activate
check "the failed open leaves the all-items window's size 600 x 400 (frame $(frame_size))" \
    test "$(frame_size)" = "600 400"
widen
double_click_in "$ROW_X" 160
poll 50 eval '[[ "$(frame_size)" == "300 400" ]]'
check "back in the file list, the window has the main size 300 x 400 (frame $(frame_size))" \
    test "$(frame_size)" = "300 400"
app_close
stored_sizes_are "the cover's double click"
e2e_finish
