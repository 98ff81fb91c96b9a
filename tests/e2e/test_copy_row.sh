#!/usr/bin/env bash
# The main use from end to end, with real input on a real X server: a double click on a data
# file opens it, a click on a row puts that row's copy item on the X clipboard.
#
# Usage: bash test_copy_row.sh <Korvanta executable> <work dir>
# Runs itself under xvfb-run; every wait has a time limit.

set -u
EXE=${1:?usage: test_copy_row.sh <Korvanta executable> <work dir>}
WORK=${2:?usage: test_copy_row.sh <Korvanta executable> <work dir>}

if [[ -z "${KORVANTA_E2E_INNER:-}" ]]; then
    for tool in xvfb-run xdotool xclip; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    KORVANTA_E2E_INNER=1 exec timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" \
        bash "$0" "$EXE" "$WORK"
fi

export QT_QPA_PLATFORM=xcb
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
PROG="$WORK/program"
rm -rf -- "$PROG"
mkdir -p "$PROG"
cp "$EXE" "$PROG/Korvanta"

# goods.csv in code page 932: 品名,品番 then ﾘﾝｺﾞ,A-01 and ﾐｶﾝ,A-02.
printf '\x95\x69\x96\xbc,\x95\x69\x94\xd4\r\n\xd8\xdd\xba\xde,A-01\r\n\xd0\xb6\xdd,A-02\r\n' \
    > "$PROG/goods.csv"
# A normal start (no manual window) at the top left, folder pane hidden, nothing selected yet;
# goods.csv copies item 2 and opens with its first row selected.
printf '[Tool]\r\nDir1V=False\r\nTemae=False\r\nNoCopy=False\r\nFilePath=%s\r\nFileListIndex=-1\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=6000\r\nWidth=4500\r\nDir1Height=1350\r\nViewFormHight=6000\r\nViewFormWidth=9000\r\n[goods.csv]\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n' \
    "$PROG" > "$PROG/Korvanta.ini"

PID=""
cleanup() { [[ -n "$PID" ]] && kill "$PID" 2>/dev/null; wait 2>/dev/null; }
trap cleanup EXIT

mkdir -p "$WORK/runtime" && chmod 700 "$WORK/runtime"
(cd "$PROG" && XDG_RUNTIME_DIR="$WORK/runtime" exec ./Korvanta) &
PID=$!

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }

# Waits up to 10 s for the X clipboard to hold $1.
wait_for_clipboard() {
    local got=""
    for _ in $(seq 50); do
        got=$(clipboard)
        [[ "$got" == "$1" ]] && return 0
        sleep 0.2
    done
    echo "FAIL: $2: the clipboard holds '$got', expected '$1' (screenshot: $WORK/screen.png)"
    import -window root "$WORK/screen.png" 2>/dev/null || true
    return 1
}

WID=$(timeout 15 xdotool search --sync --onlyvisible --name '^Korvanta$' | head -n 1)
if [[ -z "$WID" ]]; then
    echo "FAIL: the main window did not appear"
    exit 1
fi
sleep 1
eval "$(xdotool getwindowgeometry --shell "$WID")"

# The file list and the data list both start 1100 twips (73 px) below the menu bar; the first
# row's middle is about 9 px further down.
ROW0_Y=$((Y + 25 + 73 + 9))

# A double click on the file opens it; its remembered first row is selected and copied.
xdotool mousemove $((X + 40)) "$ROW0_Y" click --repeat 2 --delay 120 1
wait_for_clipboard "A-01" "after opening goods.csv" || exit 1

# Something else on the clipboard, then a click on the first row copies it again.
printf 'other' | xclip -selection clipboard -i
wait_for_clipboard "other" "xclip itself" || exit 1
xdotool mousemove $((X + 40)) "$ROW0_Y" click 1
wait_for_clipboard "A-01" "after a click on the first row" || exit 1

# The next row by keyboard copies that row.
xdotool key Down
wait_for_clipboard "A-02" "after Down" || exit 1

import -window root "$WORK/screen.png" 2>/dev/null || true
echo "copy-row: 3 passed, 0 failed"
