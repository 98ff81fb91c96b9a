#!/usr/bin/env bash
# A column sort in the all-items view keeps the selected record selected: after a click on a
# column header, the chooser, a re-list and the stored selection all still mean that record.
#
# Usage: bash test_column_sort.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init column-sort "$@"
e2e_program_folder

# Sorted by colour either way, banana (green) is the middle row, row 2; before the sort it is
# row 1.
write_cp932 "$PROG/fruit.csv" <<'DATA'
name,code,colour
apple,A-01,red
banana,B-02,green
blueberry,B-03,blue
cherry,C-04,crimson
mango,M-05,orange
DATA
normal_ini fruit.csv 'SentakuKoumokuNo=-1' 'KoumokuHyoujiNo=2' 'DataListIndex=1'

start_and_open "B-02" "opening fruit.csv in the all-items view, banana selected"
# A click on the header of the third column (colour) re-orders the rows.
click_in 300 "$HEADER_Y"
settle

# The chooser, opened below the last row, works on the selected record: its first entry copies
# the record's name.
set_clipboard "none"
right_click_in "$ROW_X" "$(view_row_y 9)"
poll 30 popup_shown
key Down Return
wait_for_clipboard "banana" "after the column sort, the chooser's first item copies the selected record's name"

# The keyboard moves from the selected record's row: Up copies another record, Down banana again.
activate
click_in "$ROW_X" "$(view_row_y 9)"
key Up
settle
ABOVE=$(clipboard)
check "after the column sort, Up copies the record above banana (got '$ABOVE')" \
    eval '[[ "$ABOVE" == cherry || "$ABOVE" == mango ]]'
key Down
wait_for_clipboard "banana" "after the column sort, Down copies banana again"

# A re-list (tool button 1) puts the rows back in file order and selects the same record.
set_clipboard "none"
click_tool 1
wait_for_clipboard "banana" "after the column sort, a re-list selects and copies the same record"

# Sort again and leave the data view: the stored selection is banana, record 2.
click_in 300 "$HEADER_Y"
settle
app_close
got=$(ini_get fruit.csv DataListIndex)
check "after a column sort and closing, DataListIndex is banana's (1; got '$got')" test "$got" = 1
e2e_finish
