#!/usr/bin/env bash
# Several words in the search box, with real keys: "空白で区切ったｷｰを全て含むﾃﾞｰﾀｰを検索する",
# chosen from the tool menu, makes a key of two words keep only the records that hold both (each
# in an item of its own, in any order); without it the blank is part of the key and nothing is
# found. The mark is written back at closing.
#
# Usage: bash test_search_words.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init search-words "$@"
e2e_program_folder

# "b" alone is in three records and "yellow" in two; only banana holds both.
write_cp932 "$PROG/fruit.csv" <<'DATA'
name,code,colour
apple,A-01,red
banana,B-02,yellow
blueberry,B-03,blue
cherry,C-04,red
mango,M-05,yellow
DATA
normal_ini fruit.csv 'SentakuKoumokuNo=-1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'

start_and_open "A-01" "opening fruit.csv in the all-items view, apple selected"

# Without the option: no record holds "b yellow" as it stands.
search_for "b yellow"
set_clipboard "none" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(view_row_y 0)"
clipboard_stays "none" "without the option, 'b yellow' leaves no row"

# The option is the seventh entry of the tool menu in the data view.
click_tool 3
poll 30 popup_shown || fail "the tool menu did not open"
key Down Down Down Down Down Down Down Return
poll 30 eval '! popup_shown'

search_for "b yellow"
click_in "$ROW_X" "$(view_row_y 0)"
wait_for_clipboard "B-02" "with the option, 'b yellow' keeps banana"
set_clipboard "none" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(view_row_y 1)"
clipboard_stays "none" "banana is the only row left"

# The other order, and a word that runs across two items finds nothing.
search_for "yellow m"
click_in "$ROW_X" "$(view_row_y 0)"
wait_for_clipboard "M-05" "'yellow m' keeps mango alone"
set_clipboard "none" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(view_row_y 1)"
clipboard_stays "none" "mango is the only row left"

check "the program still runs" app_alive
app_close
check "the option is written at closing" test "$(ini_get Tool AndKensaku)" = True
e2e_finish
