#!/usr/bin/env bash
# A day's work by keyboard alone (xdotool keys and typing, no mouse event at all):
# - Tab walks from the search box to the folder pane, where End and Return open a sub-folder;
# - Tab to the file list, Down selects the file, the Menu key opens the item chooser on it and
#   Down, Down, Return opens the file showing its second item;
# - a Down in the data list copies the next row;
# - in the search box Shift+F10 opens the tool menu, and its access key A turns on
#   "ﾘｽﾄｸﾘｯｸ時、ﾃﾞｰﾀｰを表示する";
# - the data menu (Alt+D) sorts the list in descending order, and Home copies its new first row;
# - F2 returns to the file view, F2 opens the file again on its stored row, F2 returns again;
# - closing stores each change: the folder, the option, the file's display item and its row.
#
# Usage: bash test_keyboard_only.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init keyboard-only "$@"
e2e_program_folder

mkdir -p "$PROG/data" || abort "cannot make the data folder"
printf '%s\n' 品名,品番 ﾘﾝｺﾞ,A-01 ﾐｶﾝ,A-02 ﾊﾞﾅﾅ,A-03 | write_cp932 "$PROG/data/goods.csv"
DIR1V=True normal_ini
set_clipboard "none" || abort "cannot set the clipboard"

app_start || e2e_finish

# The window opens with the search box focused; Tab goes to the folder pane, whose last row is
# the program folder's only sub-folder.
key Tab
key End Return
settle
key Tab Down
settle
key Menu
check "the Menu key opens the item chooser on the selected file" poll 30 popup_shown
key Down Down Return
wait_for_clipboard $'ﾘﾝｺﾞ\tA-01' "the file opened with its second item"

# The search box has the focus after opening; the list follows it.
key Tab Down
wait_for_clipboard $'ﾐｶﾝ\tA-02' "Down in the data list"

key shift+Tab
settle
key shift+F10
check "Shift+F10 in the search box opens the tool menu" poll 30 popup_shown
key a
check "the tool menu closes after its access key" poll 30 eval '! popup_shown'

key alt+d
check "Alt+D opens the data menu" poll 30 popup_shown
key Return
check "the data menu closes" poll 30 eval '! popup_shown'
key Tab Home
wait_for_clipboard $'ﾊﾞﾅﾅ\tA-03' "Home after sorting in descending order"

# F2 returns to the file view, which stores the file's row; F2 there opens the file again on
# that row, and F2 returns once more.
set_clipboard "none" || abort "cannot set the clipboard"
key F2
settle
check "F2 in the data view copies nothing" test "$(clipboard)" == none
key F2
wait_for_clipboard $'ﾊﾞﾅﾅ\tA-03' "F2 in the file view opens the file on its stored row"
key F2
settle

app_close
check "the folder opened by keyboard is stored" test "$(ini_get Tool FilePath)" == "$PROG/data"
check "the option turned on in the tool menu is stored" test "$(ini_get Tool PuHyoujiSet)" == True
check "the item chosen by keyboard is stored as the display item" \
    test "$(ini_get goods.csv SentakuKoumokuNo)" == 2
# The row is stored as its place in the file: ﾊﾞﾅﾅ, the first row after sorting, is the third.
check "the row selected after sorting is stored" test "$(ini_get goods.csv DataListIndex)" == 2
e2e_finish
