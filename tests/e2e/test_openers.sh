#!/usr/bin/env bash
# Handing things to the desktop, with stand-in openers first on the program's PATH:
# - the editor (F5) and the file manager ("ｴｸｽﾌﾟﾛｰﾗｰ起動"): when the opener fails, a message box
#   titled "Korvanta" says so and the window stays as it was; when it succeeds, the window is
#   minimized;
# - the Web and mail button opens the copied address without the blanks around it (half- and
#   full-width), while the clipboard keeps the copied text as it is;
# - none of them gets the desktop's launch tokens the program was started with.
#
# Usage: bash test_openers.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init openers "$@"
e2e_program_folder

write_cp932 "$PROG/links.csv" <<'DATA'
name,address
shop,http://www.example.jp/ 
mail,　info@example.jp　
none,nothing
DATA
normal_ini links.csv 'KoumokuHyoujiNo=2' 'DataListIndex=2'

EXPLORER_ENTRY_Y=$(menu_entry_y 6)

# The file commands with an opener that fails: a message box, the window not minimized.
recording_opener 4
app_start || e2e_finish
click_in "$ROW_X" "$(row_y 0)"
key F5
BOX=$(wait_for_window Korvanta 50)
check "F5 with a failing opener: a message box titled Korvanta appears" test -n "$BOX"
check "F5 with a failing opener: the main window is not minimized" eval '! is_hidden'
check "F5 with a failing opener: the opener was asked for links.csv" grep -q "links.csv" "$OPENED"
if [[ -n "$BOX" ]]; then
    activate "$BOX"
    key Return
    poll 50 eval '[[ -z "$(other_window Korvanta)" ]]'
    check "the message box closes with Return" test -z "$(other_window Korvanta)"
fi
restore
: >"$OPENED"
menu_pick "$MENU_FILE_X" "$EXPLORER_ENTRY_Y"
BOX=$(wait_for_window Korvanta 50)
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 with a failing opener: a message box titled Korvanta appears" test -n "$BOX"
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 with a failing opener: the main window is not minimized" eval '! is_hidden'
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 with a failing opener: the opener was asked for the folder" grep -q "program" "$OPENED"
app_term

# The same with an opener that succeeds: the window is minimized, no message box. The program
# is started as a launcher starts it, with launch tokens that are its own.
recording_opener 0
XDG_ACTIVATION_TOKEN=korvanta-own-token DESKTOP_STARTUP_ID=korvanta-own-launch_TIME0 app_start ||
    e2e_finish
click_in "$ROW_X" "$(row_y 0)"
key F5
check "F5 with a working opener: the main window is minimized" poll 50 is_hidden
check "F5 with a working opener: the opener got the file's path" poll 50 grep -qx "$PROG/links.csv" "$OPENED"
check "F5 with a working opener: no message box" test -z "$(other_window Korvanta)"
restore
: >"$OPENED"
menu_pick "$MENU_FILE_X" "$EXPLORER_ENTRY_Y"
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 with a working opener: the main window is minimized" poll 50 is_hidden
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 with a working opener: the opener got the folder" poll 50 grep -q "program" "$OPENED"
restore

# The Web and mail button on addresses with blanks around them.
click_in "$ROW_X" "$(row_y 0)"
key Return
wait_for_clipboard "nothing" "opening links.csv, the third record selected"
: >"$OPENED"
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "http://www.example.jp/ " "the Web address is copied as it is, blank and all"
click_tool 6
check "the Web button opens the address without the blank" poll 50 grep -qx "http://www.example.jp/" "$OPENED"
check "the opener got nothing else (got: $(opened_lines | tr '\n' '|'))" eval '[[ "$(opened_lines)" == "http://www.example.jp/" ]]'
activate
: >"$OPENED"
click_in "$ROW_X" "$(row_y 1)"
wait_for_clipboard "　info@example.jp　" "the mail address is copied as it is, full-width blanks and all"
click_tool 6
check "the mail button opens mailto: with the bare address" poll 50 grep -qx "mailto:info@example.jp" "$OPENED"
check "the opener got nothing else (got: $(opened_lines | tr '\n' '|'))" eval '[[ "$(opened_lines)" == "mailto:info@example.jp" ]]'
check "the clipboard still holds the copied text" eval '[[ "$(clipboard)" == "　info@example.jp　" ]]'
check "no program started got the launch tokens (got: $(tr '\n' '|' <"$OPENED_TOKENS"))" \
    test ! -s "$OPENED_TOKENS"
check "the program still runs" app_alive
e2e_finish
