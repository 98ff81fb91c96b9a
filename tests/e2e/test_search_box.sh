#!/usr/bin/env bash
# Typing in the search box with real keys:
# - with "Shift + ﾘﾀｰﾝｷｰ で検索を開始する" on, typing does not narrow the list, and Shift+Return
#   does;
# - in the all-items view, typing a key of several letters keeps every letter in the search box
#   while the selected record is found again at each keystroke; the whole key is what the
#   file's history keeps.
#
# Usage: bash test_search_box.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init search-box "$@"
e2e_program_folder

write_cp932 "$PROG/fruit.csv" <<'DATA'
name,code,colour
apple,A-01,red
banana,B-02,yellow
blueberry,B-03,blue
cherry,C-04,red
mango,M-05,yellow
DATA

COMBO_X=100
COMBO_Y=84

# --- Shift+Return starts the search
KENSAKU=True normal_ini fruit.csv 'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
start_and_open "A-01" "opening fruit.csv, first record selected"

click_in "$COMBO_X" "$COMBO_Y"
type_text "an"
settle
# Not narrowed: the first row is still apple.
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "typing a key with the option on does not narrow the list"

click_in "$COMBO_X" "$COMBO_Y"
key End
shift_return
settle
# Narrowed to banana and mango.
set_clipboard "none"
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "B-02" "Shift+Return narrows the list to the key: first row banana"
key Down
wait_for_clipboard "M-05" "the next row of the narrowed list is mango"
app_close

# --- typing a whole key in the all-items view
normal_ini fruit.csv 'SentakuKoumokuNo=-1' 'KoumokuHyoujiNo=2' 'DataListIndex=1'
start_and_open "B-02" "opening fruit.csv in the all-items view, banana selected"

click_in "$COMBO_X" "$COMBO_Y"
type_text "bana"
settle
app_close
got=$(ini_get fruit.csv 0)
check "the whole key 'bana' is the newest history entry (got '$got')" test "$got" = "bana"
e2e_finish
