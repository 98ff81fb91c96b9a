#!/usr/bin/env bash
# With the horizontal scroll bar option on ("水平ｽｸﾛｰﾙﾊﾞｰを表示する"), a row longer than the
# list is drawn whole, and the scroll bar reaches its end: scrolled all the way right, the
# widest row's tail is on screen. The widest row here has fewer characters than another row
# (full-width against narrow ones), so a range taken from the longest text in characters alone
# would not reach it. The file ends with CR LF, which makes the last row empty.
#
# Usage: bash test_long_row.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init long-row "$@"
e2e_program_folder

NARROW=$(printf 'i%.0s' {1..100})
WIDE=$(printf '・%.0s' {1..90})
# The wide row ends with a run of black squares, which nothing else on screen shows.
TAIL="■■■■■■■■"
write_cp932 "$PROG/long.csv" <<DATA
説明,番号
$NARROW,L-01
$WIDE$TAIL,L-02
DATA
SCROLLBAR=True normal_ini long.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

start_and_open "L-01" "opening long.csv with the scroll bar option on"
settle

# dark_run Y: the screen line Y (client coordinates) has, within the client's width, 50 px side
# by side of which 40 are dark.
dark_run() {
    timeout 10 import -window root -crop "${WIDTH}x1+$X+$((Y + $1))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/^\([0-9]*\),0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
        awk -v w="$WIDTH" '{ dark[$1] = ($2 + $3 + $4 < 240) } END {
            for (x = 0; x + 50 <= w; x++) {
                n = 0
                for (i = x; i < x + 50; i++) n += dark[i]
                if (n >= 40) exit 0
            }
            exit 1 }'
}

# tail_shown ROW: the run of black squares is on screen in data row ROW: dark runs on the row's
# middle line and 2 px above and below it (text strokes make no such block).
tail_shown() {
    client_geometry || return 1
    local y
    y=$(row_y "$1")
    dark_run $((y - 2)) && dark_run "$y" && dark_run $((y + 2))
}

check "before scrolling the wide row's tail is not on screen" eval '! tail_shown 1'

# Scroll all the way right: clicks on the scroll bar's trough near its right end, each a page.
client_geometry
for _ in 1 2 3 4 5 6 7 8; do
    move_pointer $((X + WIDTH - 30)) $((Y + HEIGHT - 7))
    xdotool click 1
    sleep 0.15
done
settle
screenshot "$WORK/scrolled-to-the-end.png"
check "scrolled to the end, the wide row's tail is on screen" tail_shown 1

# The list still works: the next row is copied.
click_in "$ROW_X" "$(row_y 1)"
wait_for_clipboard "L-02" "a click on the wide row"
app_close && pass "the program closes normally"
e2e_finish
