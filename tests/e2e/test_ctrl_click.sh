#!/usr/bin/env bash
# The data lists keep their one selected row, as the file list does: Ctrl+click on the selected
# row is a click on it (the row is copied again) and Ctrl+Space leaves it selected, in the
# single-item list and in the all-items view. Closing stores that row, so the next opening
# selects it again.
#
# Usage: bash test_ctrl_click.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init ctrl-click "$@"
e2e_program_folder

write_fruit 3

fruit_ini() {
    normal_tool_section
    printf '%s\n' '[fruit.csv]' "SentakuKoumokuNo=$1" 'KoumokuHyoujiNo=2' 'DataListIndex=1'
}

ctrl_click_at() {
    apart_from_last_click "$1" "$2" && move_pointer "$1" "$2" || return 1
    xdotool keydown Control_L
    xdotool click 1
    xdotool keyup Control_L
    clicked
}
ctrl_click_in() { client_geometry && ctrl_click_at $((X + $1)) $((Y + $2)); }

# open_fruit WHAT: starts the program and opens fruit.csv, which selects banana (row 1).
open_fruit() {
    start_and_open "B-02" "$1"
}

# stored_row_is_banana WHAT: closes the program and checks the row it stored for fruit.csv.
stored_row_is_banana() {
    local got
    app_close
    got=$(ini_get fruit.csv DataListIndex)
    check "$1 (DataListIndex '$got')" test "$got" = 1
}

# try_view NAME SENTAKU ROW_Y_OF_1: one data view, banana (row 1) remembered.
try_view() {
    local name=$1 row1_y=$3
    fruit_ini "$2" | write_ini
    open_fruit "$name: opening fruit.csv selects banana"
    set_clipboard "none"
    ctrl_click_in "$ROW_X" "$row1_y"
    wait_for_clipboard "B-02" "$name: Ctrl+click on the selected row copies it again"
    settle
    stored_row_is_banana "$name: after Ctrl+click closing stores the row kept selected"

    open_fruit "$name: the next opening selects banana again"
    key ctrl+space
    settle
    stored_row_is_banana "$name: after Ctrl+Space closing stores the row kept selected"

    open_fruit "$name: and the next opening too"
    app_close
}

try_view "single-item list" 1 "$(row_y 1)"
try_view "all-items view" -1 "$(view_row_y 1)"
e2e_finish
