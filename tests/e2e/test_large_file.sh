#!/usr/bin/env bash
# A data file of 120,000 records with "32,735行を超えるﾃﾞｰﾀｰも全て表示する" on, with real input on a
# real X server: the file opens whole (no record-limit message), Ctrl+End in the list copies the
# last record, and a key that only the last record holds narrows the list to that one row. The
# mark is written back at closing.
#
# Usage: bash test_large_file.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init large-file "$@"
e2e_program_folder

RECORDS=120000
# 番号,名前,電話: record r is N<r>, 名前<r>, 03-<r>, six digits wide; only the last name holds
# "zzlast".
awk -v n="$RECORDS" 'BEGIN {
    print "番号,名前,電話"
    for (r = 1; r <= n; r++)
        printf "N%06d,名前%06d%s,03-%06d\n", r, r, (r == n ? "zzlast" : ""), r
}' | write_cp932 "$PROG/big.csv"
# Without the final CR LF, which would add an empty record after the last one.
truncate -s -2 "$PROG/big.csv" || abort "cannot shorten big.csv"
LAST=$(printf '名前%06dzzlast' "$RECORDS")

{
    normal_tool_section | sed 's/^\[Tool\]$/[Tool]\nGyouSeigenNashi=True/'
    printf '%s\n' '[big.csv]' 'SentakuKoumokuNo=2' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
} | write_ini

# The file list holds big.csv alone: select it and open it with Return.
start_and_open "名前000001" "opening big.csv, its first record selected"
no_box() { ! popup_shown; }
check "no record-limit message came up" no_box

# Ctrl+End in the list: the last record, past 32,735, is selected and copied.
click_in "$ROW_X" "$(row_y 0)"
key ctrl+End
wait_for_clipboard "$LAST" "Ctrl+End copies record $RECORDS"

# A key only the last record holds: one row is left, and it is that record. The selected record
# is among the hits, so the search selects and copies it again.
set_clipboard "other" || fail "xclip could not set the clipboard"
click_in 100 84
type_text "zzlast"
wait_for_clipboard "$LAST" "the search keeps record $RECORDS selected and copies it again"
set_clipboard "other" || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(row_y 1)"
clipboard_stays "other" "the narrowed list has no second row"
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "$LAST" "the one row left is record $RECORDS"

check "the program still runs" app_alive
app_close
check "the option is written at closing" test "$(ini_get Tool GyouSeigenNashi)" = True
e2e_finish
