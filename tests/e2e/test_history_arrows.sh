#!/usr/bin/env bash
# A search key picked from the history with the arrow keys searches as a pick from the
# drop-down does:
# - in the data view Down moves through the file's history and narrows the list to the picked
#   key; Up back to the blank entry shows the whole list again;
# - with "Shift + ﾘﾀｰﾝｷｰ で検索を開始する" on, the picked key waits for Shift+Return;
# - in the file view Down picks a file-list key and the file list shows only the names that
#   contain it.
#
# Usage: bash test_history_arrows.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init history-arrows "$@"
e2e_program_folder

write_fruit 4
write_cp932 "$PROG/vegetables.csv" <<'DATA'
name,code
onion,V-01
DATA

COMBO_X=100
COMBO_Y=84

fruit_ini() {
    KENSAKU=$1 normal_tool_section
    printf '%s\n' '[fruit.csv]' 'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    printf '%s\n' '0=an' '1=ch'
    printf '%s\n' '[vegetables.csv]' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    printf '%s\n' '[RirekiFileKey]' '0=veg' 'StrFileKey='
}

# open_fruit: fruit.csv is row 0 of the file list; it opens with its first record selected.
open_fruit() {
    start_and_open "A-01" "opening fruit.csv"
}

# first_row_copies TEXT WHAT: a click on the first row of the list copies TEXT.
first_row_copies() {
    set_clipboard "none"
    click_in "$ROW_X" "$(row_y 0)"
    wait_for_clipboard "$1" "$2"
}

# --- the data view, searching on every change. The box's history is '', 'an', 'ch'; the empty
# key is the blank entry's, and the walk goes on from the key in the box.
fruit_ini False | write_ini
open_fruit
click_in "$COMBO_X" "$COMBO_Y"
key Down
first_row_copies "B-02" "Down picks 'an': the first row is banana"
key Down
wait_for_clipboard "M-04" "Down in the narrowed list moves to mango"

click_in "$COMBO_X" "$COMBO_Y"
key Down
first_row_copies "C-03" "Down in the box again picks 'ch': the first row is cherry"
click_in "$COMBO_X" "$COMBO_Y"
key Up
first_row_copies "A-01" "Up to the blank entry shows the whole list again"
app_close
got=$(ini_get fruit.csv 0)
check "the picked key went to the top of the file's history (got '$got')" test "$got" = "ch"

# --- the data view, searching on Shift+Return
fruit_ini True | write_ini
open_fruit
click_in "$COMBO_X" "$COMBO_Y"
key Down
first_row_copies "A-01" "with the option on, a key picked by Down does not search yet"
click_in "$COMBO_X" "$COMBO_Y"
shift_return
first_row_copies "B-02" "Shift+Return searches for the picked key"
app_close

# --- the file view
fruit_ini False | write_ini
app_start || e2e_finish
click_in "$COMBO_X" "$COMBO_Y"
key Down
settle
click_in "$ROW_X" "$(row_y 0)"
key Return
wait_for_clipboard "V-01" "Down picks 'veg': the first file is vegetables.csv"
app_close
e2e_finish
