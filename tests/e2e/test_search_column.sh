#!/usr/bin/env bash
# One column of the all-items view searched alone, with a real mouse: a right click on a column
# header opens its popup, whose "この項目だけを検索する" makes the search box narrow the rows by
# that item only; the same entry again searches every item. The choice is kept for the file over
# a restart, and a left click on a header still sorts.
#
# Usage: bash test_search_column.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init search-column "$@"
e2e_program_folder

# "red" is the colour of apple and cherry, and part of redcurrant's name.
write_cp932 "$PROG/fruit.csv" <<'DATA'
name,code,colour
apple,A-01,red
banana,B-02,yellow
redcurrant,R-03,dark
cherry,C-04,red
DATA
normal_ini fruit.csv 'SentakuKoumokuNo=-1' 'KoumokuHyoujiNo=2' 'DataListIndex=1'

NAME_X=40

# header_pick X: a right click on the header at X, then the popup's only entry.
header_pick() {
    right_click_in "$1" "$HEADER_Y"
    poll 30 popup_shown || { fail "no popup over the header at x=$1"; return 1; }
    key Down Return
    poll 30 eval '! popup_shown'
    settle
}

# rows_are CODE... WHAT: the rows from the top copy CODE... in turn, and the row below them
# copies nothing.
rows_are() {
    local what=${*: -1} i=0 code
    for code in "${@:1:$#-1}"; do
        set_clipboard "none" || fail "xclip could not set the clipboard"
        click_in "$ROW_X" "$(view_row_y $i)"
        wait_for_clipboard "$code" "$what: row $i"
        i=$((i + 1))
    done
    set_clipboard "none" || fail "xclip could not set the clipboard"
    click_in "$ROW_X" "$(view_row_y $i)"
    clipboard_stays "none" "$what: no row $i"
}

start_and_open "B-02" "opening fruit.csv in the all-items view, banana selected"

search_for "red"
rows_are A-01 R-03 C-04 "'red' in every item"

header_pick "$NAME_X"
screenshot "$WORK/name-column-searched.png"
search_for "red"
rows_are R-03 "'red' in the names only"

# The choice is kept with the file over a restart.
app_close
got=$(ini_get fruit.csv KensakuKoumoku)
check "the name column is stored for fruit.csv (got '$got')" test "$got" = 1
start_and_open "R-03" "opening fruit.csv again, redcurrant selected"
search_for "red"
rows_are R-03 "after a restart, 'red' in the names only"

# The same entry on the same header: every item again.
header_pick "$NAME_X"
search_for "red"
rows_are A-01 R-03 C-04 "'red' in every item again"

# A left click on the colour header sorts, ascending at the first click: the empty record after
# the last line end, then dark (redcurrant), red, red, yellow.
search_for ""
click_in 300 "$HEADER_Y"
settle
set_clipboard "none" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(view_row_y 1)"
wait_for_clipboard "R-03" "a left click on a header still sorts: redcurrant (dark) comes second"

check "the program still runs" app_alive
app_close
got=$(ini_get fruit.csv KensakuKoumoku)
check "every item is stored for fruit.csv (got '$got')" test "$got" = 0
e2e_finish
