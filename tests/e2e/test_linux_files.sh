#!/usr/bin/env bash
# Files as Linux makes them, from end to end with real input under a window manager: an LF-only
# UTF-8 data file named with the wave dash U+301C, in a folder named with it too (both outside
# code page 932), is opened and a row is clicked; after closing, the settings file on disk holds
# the folder and the file's state, and the next start restores the selected row.
#
# Usage: bash test_linux_files.sh <Korvanta executable> <work dir>
# Runs itself under xvfb-run with openbox; every wait has a time limit.

set -u
EXE=${1:?usage: test_linux_files.sh <Korvanta executable> <work dir>}
WORK=${2:?usage: test_linux_files.sh <Korvanta executable> <work dir>}

if [[ -z "${KORVANTA_E2E_INNER:-}" ]]; then
    for tool in xvfb-run xdotool xclip xprop xwininfo openbox; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    KORVANTA_E2E_INNER=1 exec timeout 180 xvfb-run -a -s "-screen 0 1024x768x24" \
        bash "$0" "$EXE" "$WORK"
fi

export QT_QPA_PLATFORM=xcb
export LC_ALL=C.UTF-8
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
PROG="$WORK/program"
rm -rf -- "$PROG" "$WORK/runtime"
mkdir -p "$PROG" "$WORK/runtime"
chmod 700 "$WORK/runtime"
cp "$EXE" "$PROG/Korvanta"

# The folder 売上〜2024 and the file 売上〜6月.csv, UTF-8 with LF line ends:
# 品名,品番 then ﾘﾝｺﾞ,A-01 / ﾐｶﾝ,A-02 / ﾊﾞﾅﾅ,A-03.
FOLDER="$PROG/売上〜2024"
FILE="売上〜6月.csv"
mkdir -p "$FOLDER"
printf '品名,品番\nﾘﾝｺﾞ,A-01\nﾐｶﾝ,A-02\nﾊﾞﾅﾅ,A-03\n' > "$FOLDER/$FILE"

# In the settings file (code page 932) a character the code page lacks is the mark 87 90, its
# code point in hex and ";". 売上 is 94 84 8F E3, 月 8C 8E.
MARK=$'\x87\x90'
URIAGE=$'\x94\x84\x8f\xe3'
INI_FOLDER="$PROG/${URIAGE}${MARK}301C;2024/"
INI_SECTION="${URIAGE}${MARK}301C;6"$'\x8c\x8e'".csv"
# A normal start at the top left with the folder pane hidden, on that folder, nothing selected.
printf '[Tool]\r\nDir1V=False\r\nTemae=False\r\nNoCopy=False\r\nSentakuDataKiroku=True\r\nFilePath=%s\r\nFileListIndex=-1\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=6000\r\nWidth=4500\r\nDir1Height=1350\r\nViewFormHight=6000\r\nViewFormWidth=9000\r\n' \
    "$INI_FOLDER" > "$PROG/Korvanta.ini"

PID=""
WM_PID=""
cleanup() {
    [[ -n "$PID" ]] && kill "$PID" 2>/dev/null
    [[ -n "$WM_PID" ]] && kill "$WM_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $* (screenshot: $WORK/screen.png)"
    import -window root "$WORK/screen.png" 2>/dev/null || true
    exit 1
}

# The window manager first, and wait until it has taken over the screen.
openbox --sm-disable > "$WORK/wm.log" 2>&1 &
WM_PID=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }

# Waits up to 10 s for the X clipboard to hold $1.
wait_for_clipboard() {
    local got=""
    for _ in $(seq 50); do
        got=$(clipboard)
        [[ "$got" == "$1" ]] && return 0
        sleep 0.2
    done
    fail "$2: the clipboard holds '$got', expected '$1'"
}

# Starts the program and waits for its window; sets WID, X, Y.
start_program() {
    (cd "$PROG" && XDG_RUNTIME_DIR="$WORK/runtime" exec ./Korvanta) &
    PID=$!
    WID=$(timeout 15 xdotool search --sync --onlyvisible --name '^Korvanta$' | head -n 1)
    [[ -n "$WID" ]] || fail "the main window did not appear"
    # Under the window manager the window is ours to type into once it has the focus.
    for _ in $(seq 50); do
        [[ "$(xdotool getactivewindow 2>/dev/null)" == "$WID" ]] && break
        xdotool windowactivate "$WID" 2>/dev/null
        sleep 0.2
    done
    sleep 1
    # The client area's place on the screen (xdotool's own geometry counts the frame of a
    # reparenting window manager twice).
    X=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ { print $NF }')
    Y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ { print $NF }')
    [[ -n "$X" && -n "$Y" ]] || fail "no geometry for window $WID"
}

# Closes the window as the user does (Alt+F4 through the window manager) and waits for the end.
close_program() {
    xdotool key --clearmodifiers alt+F4
    for _ in $(seq 100); do
        kill -0 "$PID" 2>/dev/null || { wait "$PID" 2>/dev/null; PID=""; return 0; }
        sleep 0.1
    done
    fail "the program did not end after Alt+F4"
}

# The file list and the data list start 1100 twips (73 px) below the menu bar (25 px); rows of
# the half-width text are about 14 px high, the first row's middle 7 px down.
row_y() { echo $((Y + 25 + 73 + 6 + 14 * $1)); }

# --- first run: open the file, click the second row, go back to the file list, close
start_program
xdotool mousemove $((X + 40)) "$(row_y 0)" click --repeat 2 --delay 120 1
# Nothing remembered yet: the first row is selected and copied whole (TAB-joined).
wait_for_clipboard $'ﾘﾝｺﾞ\tA-01' "after opening the LF-only file"
xdotool mousemove $((X + 40)) "$(row_y 1)" click 1
wait_for_clipboard $'ﾐｶﾝ\tA-02' "after a click on the second row"
xdotool key F2 # back to the file list: the file's state is written
sleep 1
close_program

INI=$(cat "$PROG/Korvanta.ini")
grep -qF "FilePath=${INI_FOLDER%/}"$'\r' <<<"$INI" || fail "the folder is not in the settings file"
grep -qF "[$INI_SECTION]" <<<"$INI" || fail "the file has no section of its own"
SECTION=$(awk -v s="[$INI_SECTION]" 'index($0, s) == 1 { on = 1; next } /^\[/ { on = 0 } on' \
    "$PROG/Korvanta.ini")
grep -q '^DataListIndex=1' <<<"$SECTION" || fail "the selected row is not stored: $SECTION"

# --- second run: the folder is shown again, the file opens on the remembered row
printf 'other' | xclip -selection clipboard -i
wait_for_clipboard "other" "xclip itself"
start_program
xdotool mousemove $((X + 40)) "$(row_y 0)" click --repeat 2 --delay 120 1
wait_for_clipboard $'ﾐｶﾝ\tA-02' "after opening the file again"
kill -0 "$PID" 2>/dev/null || fail "the program ended"
close_program
echo "PASS"
