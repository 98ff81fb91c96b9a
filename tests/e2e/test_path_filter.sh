#!/usr/bin/env bash
# A data file opened by its path ("Korvanta FILE", as the file manager's "Open with" does) is one
# more name of the file list: back in the file view the search key filters it like any other
# name. With the key "prod" only products.CSV is listed, not staff.csv that was opened by path;
# a tab-separated file opened by path (outside the list's pattern) stays listed under a key it
# contains and under none it lacks.
#
# Usage: bash test_path_filter.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init path-filter "$@"
e2e_program_folder

write_cp932 "$PROG/products.CSV" <<'DATA'
品名,品番
ﾎﾞﾙﾄ,P-01
DATA
write_cp932 "$PROG/staff.csv" <<'DATA'
氏名,内線
花子,S-01
DATA
printf 'Name\tCode\r\nnut\tN-01\r\n' >"$PROG/notes.tsv"
{
    normal_tool_section
    printf '%s\n' '[products.CSV]' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    printf '%s\n' '[staff.csv]' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    printf '%s\n' '[notes.tsv]' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
} | write_ini

COMBO_X=100
COMBO_Y=84

# launch_with FILE: starts the program in $PROG with FILE on its command line.
launch_with() {
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$PROG" && PATH="$BIN:$PATH" XDG_RUNTIME_DIR="$RUNTIME" exec ./Korvanta "$1") >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
    wait_main 15 || e2e_finish
}

# key_in_box TEXT: the search box's text replaced by TEXT, typed.
key_in_box() {
    click_in "$COMBO_X" "$COMBO_Y"
    key ctrl+a BackSpace
    [[ -n "$1" ]] && type_text "$1"
    settle
}

# opens_row K TEXT WHAT: row K of the file list opens a file whose first record copies TEXT;
# F2 goes back to the file view afterwards.
opens_row() {
    set_clipboard "none"
    click_in "$ROW_X" "$(row_y "$1")"
    key Return
    wait_for_clipboard "$2" "$3"
    key F2
    settle
}

# only_row_opens TEXT WHAT: the file list holds one file, whose first record copies TEXT: its
# first row opens it, and from there Down moves nowhere; F2 goes back after each opening.
only_row_opens() {
    opens_row 0 "$1" "$2 (first row)"
    set_clipboard "none"
    click_in "$ROW_X" "$(row_y 0)"
    key Down Return
    wait_for_clipboard "$1" "$2 (Down from the first row)"
    key F2
    settle
}

# --- a .csv file opened by its path
launch_with "$PROG/staff.csv"
wait_for_clipboard "S-01" "starting with staff.csv opens it"
key F2
settle
key_in_box prod
only_row_opens "P-01" "with the key 'prod' products.CSV is the only file: staff.csv is not listed"
app_close
got=$(ini_get RirekiFileKey StrFileKey)
check "the file view's key 'prod' is stored (got '$got')" test "$got" = prod

# --- a file outside the pattern opened by its path, while the stored key 'prod' hides it: the
# key gives way
launch_with "$PROG/notes.tsv"
wait_for_clipboard "N-01" "starting with notes.tsv under the key 'prod' opens it"
key F2
settle
key_in_box not
only_row_opens "N-01" "with the key 'not' notes.tsv is the only file"
key_in_box prod
only_row_opens "P-01" "with the key 'prod' products.CSV is the only file: notes.tsv is not listed"
key_in_box ""
opens_row 0 "N-01" "with no key notes.tsv is listed again, first"
app_close
e2e_finish
