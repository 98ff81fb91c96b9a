#!/usr/bin/env bash
# The data list with the horizontal scroll bar option on ("水平ｽｸﾛｰﾙﾊﾞｰを表示する", [Tool]
# ScrollBerSetei=True): opening a file whose rows are wider than the list, and narrowing and
# widening the window step by step, keep the program running and the list usable.
#
# Usage: bash test_scrollbar.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init scrollbar "$@"
e2e_program_folder

LONG="とても長い説明文がここに入りますとても長い説明文がここに入りますとても長い説明文がここに入ります"
write_cp932 "$PROG/wide.csv" <<DATA
説明,番号
ﾘﾝｺﾞ $LONG,W-01
ﾐｶﾝ $LONG$LONG,W-02
ﾊﾞﾅﾅ,W-03
DATA
SCROLLBAR=True normal_ini wide.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

# Open the file by keyboard: select it in the file list, then Return.
start_and_open "W-01" "opening wide.csv with the scroll bar option on"
settle
app_responsive || abort "the program ended or stopped answering after opening a file wider than the list"
pass "the program runs and answers after opening a file wider than the list"

# The list still takes keys: the next row is copied.
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "W-01" "a click on the first row"
key Down
wait_for_clipboard "W-02" "Down in the list"

# Narrow the window step by step, then widen it again; the program lives through every size.
client_geometry
for w in 280 250 220 190 160 130 160 200 260 340 420; do
    xdotool windowsize "$WID" "$w" "${HEIGHT:-375}" 2>/dev/null
    poll 30 eval '[[ "$(client_geometry && echo "$WIDTH")" == '"$w"' ]]' >/dev/null
    settle
    app_responsive || abort "the program ended or stopped answering when the window was resized to $w px wide"
done
pass "the program runs and answers through narrowing and widening the window"

key Up
wait_for_clipboard "W-01" "Up in the list after resizing"
app_close && pass "the program closes normally"
e2e_finish
