#!/usr/bin/env bash
# The editor (F5, "ﾌｧｲﾙの編集") and the file manager ("ｴｸｽﾌﾟﾛｰﾗｰ起動") act on the file view
# only, with a stand-in opener first on the program's PATH:
# - in the data view F5 hands nothing to the editor and the window stays as it is; the file
#   manager's entry of the file menu does nothing either;
# - after the file menu was opened and closed in the data view, F2 goes back to the file view
#   with the file selected, and F5 works at once, without a click in the list.
#
# Usage: bash test_view_commands.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init view-commands "$@"
e2e_program_folder

write_goods
normal_ini goods.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

EXPLORER_ENTRY_Y=$(menu_entry_y 6)
recording_opener 0

start_and_open "A-01" "opening goods.csv"

# --- the data view: neither command runs
key F5
settle
check "F5 in the data view hands nothing to the editor" test -z "$(opened_lines)"
check "F5 in the data view leaves the window shown" eval '! is_hidden'

click_in "$MENU_FILE_X" 11
check "the file menu opens in the data view" poll 30 popup_shown
client_geometry
move_pointer $((X + MENU_FILE_X + 30)) $((Y + EXPLORER_ENTRY_Y))
settle
xdotool click 1
clicked
settle
key Escape
check "the file menu closes with Escape" poll 30 eval '! popup_shown'
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 in the data view opens no file manager" test -z "$(opened_lines)"
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 in the data view leaves the window shown" eval '! is_hidden'

# Back to the file view with F2: the file is selected and F5 edits it at once.
key F2
settle
key F5
check "F5 after F2 hands goods.csv to the editor" poll 50 grep -qx "$PROG/goods.csv" "$OPENED"
check "F5 after F2 minimizes the window" poll 50 is_hidden
check "the program still runs" app_alive
restore
app_close
e2e_finish
