#!/usr/bin/env bash
# Opening a data file named on the command line, as the file manager's "Open with" does: with no
# copy running the new window opens the file with its remembered row (which lands on the X
# clipboard); with a copy running, minimized, the second start hands the file over and ends with
# status 0, and the one running window comes back showing the new file. A file handed over while
# the running copy shows a message box opens once the box is closed. The desktop entry validates
# and passes the file on.
#
# Usage: bash test_open_with.sh <Korvanta executable> <work dir>
# Runs itself under xvfb-run with openbox as the window manager; every wait has a time limit.

set -u
EXE=${1:?usage: test_open_with.sh <Korvanta executable> <work dir>}
WORK=${2:?usage: test_open_with.sh <Korvanta executable> <work dir>}

if [[ -z "${KORVANTA_E2E_INNER:-}" ]]; then
    for tool in xvfb-run xdotool xclip xprop openbox; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    KORVANTA_E2E_INNER=1 exec timeout 150 xvfb-run -a -s "-screen 0 1024x768x24" \
        bash "$0" "$EXE" "$WORK"
fi

export QT_QPA_PLATFORM=xcb
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
PROG="$WORK/program"
DATA="$WORK/data files"
RUNTIME="$WORK/runtime"
rm -rf -- "$PROG" "$DATA" "$RUNTIME" "$WORK/screen.png"
mkdir -p "$PROG" "$DATA" "$RUNTIME" || exit 1
chmod 700 "$RUNTIME"
cp "$EXE" "$PROG/Korvanta"
export XDG_RUNTIME_DIR="$RUNTIME"

FAILED=0
PASSED=0
WM_PID=""
FIRST_PID=""
SECOND_PID=""
cleanup() {
    for pid in $SECOND_PID $FIRST_PID $WM_PID; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $* (screenshot: $WORK/screen.png)"
    import -window root "$WORK/screen.png" 2>/dev/null || true
    FAILED=$((FAILED + 1))
}
pass() { PASSED=$((PASSED + 1)); }
finish() {
    echo "open-with: $PASSED passed, $FAILED failed"
    [[ $FAILED -eq 0 ]]
    exit
}

# A window manager, so that minimizing, restoring and activating are real.
openbox >/dev/null 2>&1 &
WM_PID=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "FAIL: openbox did not start"
    exit 1
fi

# parts.tsv (tab-separated, a name the file list's pattern does not match) remembers row 2 and
# copies item 2; other.csv remembers row 1 and copies item 1. Both live outside the program
# folder, in a folder whose name has a blank.
printf 'Name\tCode\r\nbolt\tB-1\r\nnut\tN-2\r\n' > "$DATA/parts.tsv"
printf 'Key,Value\r\nx1,one\r\nx2,two\r\n' > "$DATA/other.csv"
printf '[Tool]\r\nDir1V=False\r\nTemae=False\r\nNoCopy=False\r\nFilePath=%s\r\nFileListIndex=-1\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=6000\r\nWidth=4500\r\nDir1Height=1350\r\nViewFormHight=6000\r\nViewFormWidth=9000\r\n[parts.tsv]\r\nKoumokuHyoujiNo=2\r\nDataListIndex=1\r\n[other.csv]\r\nKoumokuHyoujiNo=1\r\nDataListIndex=0\r\n' \
    "$PROG" > "$PROG/Korvanta.ini"

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
    return 1
}

main_windows() { xdotool search --onlyvisible --name '^Korvanta$' 2>/dev/null; }
is_minimized() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_HIDDEN; }

# 1. No copy running: a relative path, taken from the working folder.
(cd "$DATA" && exec "$PROG/Korvanta" parts.tsv) &
FIRST_PID=$!
WID=$(timeout 15 xdotool search --sync --onlyvisible --name '^Korvanta$' | head -n 1)
if [[ -z "$WID" ]]; then
    fail "the main window did not appear"
    finish
fi
wait_for_clipboard "N-2" "after starting with parts.tsv" && pass

# 2. The running copy is minimized; a second start names another file by its absolute path.
xdotool windowminimize "$WID"
for _ in $(seq 50); do
    is_minimized "$WID" && break
    sleep 0.1
done
is_minimized "$WID" || fail "the window did not minimize"

(cd "$WORK" && exec "$PROG/Korvanta" "$DATA/other.csv") &
SECOND_PID=$!
for _ in $(seq 100); do
    kill -0 "$SECOND_PID" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$SECOND_PID" 2>/dev/null; then
    fail "the second copy is still running"
else
    wait "$SECOND_PID"
    status=$?
    SECOND_PID=""
    if [[ $status -eq 0 ]]; then pass; else fail "the second copy ended with status $status"; fi
fi
wait_for_clipboard "x1" "after the hand-over of other.csv" && pass

kill -0 "$FIRST_PID" 2>/dev/null && pass || fail "the running copy ended"
count=$(main_windows | wc -l)
if [[ $count -eq 1 ]]; then pass; else fail "$count windows titled Korvanta"; fi
restored=0
for _ in $(seq 50); do
    if ! is_minimized "$WID" && [[ "$(xdotool getactivewindow 2>/dev/null)" == "$WID" ]]; then
        restored=1
        break
    fi
    sleep 0.1
done
if [[ $restored -eq 1 ]]; then pass; else fail "the window was not restored and activated"; fi

# 3. The same file again while it is open: it is opened anew, with its row remembered from the
# data view that was left.
printf 'other' | xclip -selection clipboard -i
(cd "$WORK" && exec "$PROG/Korvanta" -- "$DATA/other.csv")
status=$?
if [[ $status -eq 0 ]]; then pass; else fail "the third copy ended with status $status"; fi
wait_for_clipboard "x1" "after handing over the open file again" && pass

# 4. A missing file handed over gives the reader's message box in the running copy; a file
# handed over while that box is open waits for it and opens once it is closed.
(cd "$WORK" && exec "$PROG/Korvanta" "$DATA/gone.csv")
status=$?
if [[ $status -eq 0 ]]; then pass; else fail "the copy handing over a missing file ended with status $status"; fi
for _ in $(seq 100); do
    [[ $(main_windows | wc -l) -ge 2 ]] && break
    sleep 0.1
done
if [[ $(main_windows | wc -l) -ge 2 ]]; then
    pass
    (cd "$WORK" && exec "$PROG/Korvanta" "$DATA/parts.tsv")
    status=$?
    if [[ $status -eq 0 ]]; then pass; else fail "the copy handing over during the box ended with status $status"; fi
    # Nothing opens while the box is open (the clipboard keeps the last copy).
    sleep 0.5
    got=$(clipboard)
    if [[ "$got" == "x1" ]]; then pass; else fail "the clipboard changed to '$got' under the box"; fi
    BOX=$(main_windows | grep -v "^$WID\$" | head -n 1)
    xdotool windowactivate --sync "$BOX" key --window "$BOX" Return 2>/dev/null \
        || xdotool key Return
    wait_for_clipboard "N-2" "after closing the message box" && pass
    count=$(main_windows | wc -l)
    if [[ $count -eq 1 ]]; then pass; else fail "$count windows titled Korvanta after the box"; fi
else
    fail "no message box for the missing file"
fi
kill -0 "$FIRST_PID" 2>/dev/null && pass || fail "the running copy ended"

# The desktop entry: valid, declares the data files' types and passes the file on.
if command -v desktop-file-validate >/dev/null 2>&1; then
    ENTRY="$(cd "$(dirname "$0")/../.." && pwd)/resources/korvanta.desktop"
    if desktop-file-validate "$ENTRY"; then pass; else fail "the desktop entry does not validate"; fi
    grep -q '^Exec=korvanta %f$' "$ENTRY" && grep -q '^MimeType=.*text/csv;' "$ENTRY" \
        && grep -q '^MimeType=.*text/tab-separated-values;' "$ENTRY" && pass \
        || fail "the desktop entry lacks %f or a MIME type"
else
    fail "desktop-file-validate is not installed"
fi

import -window root "$WORK/screen.png" 2>/dev/null || true
finish
