#!/usr/bin/env bash
# The main use from end to end, with real input on a real X server: a double click on a data
# file opens it, a click on a row puts that row's copy item on the X clipboard, the next row by
# keyboard copies that row.
#
# Usage: bash test_copy_row.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init copy-row "$@"
e2e_program_folder

write_goods
# A normal start, folder pane hidden, nothing selected yet; goods.csv copies item 2 and opens
# with its first row selected.
normal_ini goods.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

app_start || e2e_finish

# A double click on the file opens it; its remembered first row is selected and copied.
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "after opening goods.csv by a double click"

# Something else on the clipboard, then a click on the first row copies it again.
set_clipboard "other" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "after a click on the first row"

# The next row by keyboard copies that row.
key Down
wait_for_clipboard "A-02" "after Down"

check "the program still runs" app_alive
e2e_finish
