#!/usr/bin/env bash
# The manual window "説明書" opened with F1 from the main window: it comes up above other windows
# while the main window is always on top ("常に手前に表示する", F4) and not otherwise, its close
# button closes it, and the main window takes input again afterwards.
#
# Usage: bash test_manual.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init manual "$@"
e2e_program_folder

write_cp932 "$PROG/fruit.csv" <<DATA
名前,番号
ﾘﾝｺﾞ,F-01
ﾐｶﾝ,F-02
DATA
TEMAE=True normal_ini fruit.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

is_above() { net_wm_state "$1" | grep -q _NET_WM_STATE_ABOVE; }
manual_gone() { test -z "$(other_window 説明書)"; }

# open_manual: F1 in the main window; sets MANUAL to the manual window's id.
open_manual() {
    activate
    key F1
    MANUAL=$(wait_for_window 説明書 100)
    [[ -n "$MANUAL" ]]
}

app_start || e2e_finish
check "the main window is always on top as stored" is_above "$WID"

open_manual
check "F1 shows the manual window 説明書" test -n "$MANUAL"
if [[ -n "$MANUAL" ]]; then
    poll 30 is_above "$MANUAL" >/dev/null
    check "the manual is above other windows while the main window is" is_above "$MANUAL"
    # The close button "閉じる" ends at 5700 twips across and lies 100..360 down.
    client_geometry "$MANUAL"
    click_at $((X + 5600 / 15)) $((Y + 230 / 15))
    poll 50 manual_gone
    check "the close button closes the manual" manual_gone
fi

# Always on top off (F4), then the manual again. Changing the flag gives the main window a new
# X window, which is looked up again.
activate
key F4
OLD_WID=$WID
poll 50 eval '[[ "$(program_windows Korvanta | head -n 1)" != "$OLD_WID" ]]'
wait_main || e2e_finish
check "F4 takes the main window off the top" eval '! is_above "$WID"'
open_manual
check "F1 shows the manual window again" test -n "$MANUAL"
if [[ -n "$MANUAL" ]]; then
    settle
    check "the manual is not kept above other windows now" eval '! is_above "$MANUAL"'
    close_window "$MANUAL"
    poll 50 manual_gone
fi

# The main window takes input again: a file opens and its first row is copied.
activate
click_in "$ROW_X" "$(row_y 0)"
key Return
wait_for_clipboard "F-01" "after the manual closed, the main window opens a file"
app_close && pass "the program closes normally"
e2e_finish
