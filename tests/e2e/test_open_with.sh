#!/usr/bin/env bash
# Opening a data file named on the command line, as the file manager's "Open with" does: with no
# copy running the new window opens the file with its remembered row (which lands on the X
# clipboard); with a copy running, minimized, the second start hands the file over and ends with
# status 0, and the one running window comes back showing the new file. A file handed over while
# the running copy shows a message box opens once the box is closed. The desktop entry validates
# and passes the file on.
#
# Usage: bash test_open_with.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init open-with "$@"
e2e_program_folder

# parts.tsv (tab-separated, a name the file list's pattern does not match) remembers row 2 and
# copies item 2; other.csv remembers row 1 and copies item 1. Both live outside the program
# folder, in a folder whose name has a blank.
DATA="$WORK/data files"
rm -rf -- "$DATA"
mkdir -p "$DATA" || exit 1
printf 'Name\tCode\r\nbolt\tB-1\r\nnut\tN-2\r\n' >"$DATA/parts.tsv"
printf 'Key,Value\r\nx1,one\r\nx2,two\r\n' >"$DATA/other.csv"
{
    normal_tool_section
    printf '%s\n' '[parts.tsv]' 'KoumokuHyoujiNo=2' 'DataListIndex=1'
    printf '%s\n' '[other.csv]' 'KoumokuHyoujiNo=1' 'DataListIndex=0'
} | write_ini

# launch_in DIR ARGS...: starts the first copy in the working folder DIR with ARGS (sets APP_PID).
launch_in() {
    local dir=$1
    shift
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$dir" && XDG_RUNTIME_DIR="$RUNTIME" exec "$PROG/Korvanta" "$@") >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
}

# hand_over WHAT ARGS...: starts another copy from $WORK with ARGS and checks that it ends
# within 10 s with status 0.
hand_over() {
    local what=$1 status
    shift
    (cd "$WORK" && XDG_RUNTIME_DIR="$RUNTIME" exec "$PROG/Korvanta" "$@") >>"$WORK/second.log" 2>&1 &
    SECOND_PID=$!
    if ! wait_gone "$SECOND_PID" 100; then
        fail "$what: the copy is still running after 10 s"
        stop_pid "$SECOND_PID"
        SECOND_PID=""
        return 1
    fi
    wait "$SECOND_PID"
    status=$?
    SECOND_PID=""
    if ((status == 0)); then pass "$what: the copy ended with status 0"; else fail "$what: the copy ended with status $status"; fi
}

# Visible windows titled Korvanta of any process, one id a line.
main_windows() { xdotool search --all --onlyvisible --name '^Korvanta$' 2>/dev/null; }
main_window_count() { main_windows | wc -l; }
one_main_window() { (($(main_window_count) == 1)); }
restored_and_active() { ! is_hidden && is_active; }

# 1. No copy running: a relative path, taken from the working folder.
launch_in "$DATA" parts.tsv
wait_main 15 || e2e_finish
wait_for_clipboard "N-2" "after starting with parts.tsv"

# 2. The running copy is minimized; a second start names another file by its absolute path.
xdotool windowminimize "$WID"
check "the window minimizes" poll 50 is_hidden
hand_over "handing over other.csv" "$DATA/other.csv"
wait_for_clipboard "x1" "after the hand-over of other.csv"
check "the running copy still runs" app_alive
check "one window titled Korvanta ($(main_window_count))" one_main_window
check "the window is restored and activated" poll 50 restored_and_active

# 3. The same file again while it is open: it is opened anew, with its row remembered from the
# data view that was left.
check "the clipboard takes a text of its own" set_clipboard other
hand_over "handing over the open file again" -- "$DATA/other.csv"
wait_for_clipboard "x1" "after handing over the open file again"

# 4. A missing file handed over gives the reader's message box in the running copy; a file
# handed over while that box is open waits for it and opens once it is closed.
hand_over "handing over a missing file" "$DATA/gone.csv"
BOX=$(wait_for_window Korvanta 100)
if check "a message box for the missing file" test -n "$BOX"; then
    hand_over "handing over during the box" "$DATA/parts.tsv"
    # Nothing opens while the box is open (the clipboard keeps the last copy).
    settle
    clipboard_stays "x1" "under the message box"
    activate "$BOX"
    key Return
    wait_for_clipboard "N-2" "after closing the message box"
    check "one window titled Korvanta after the box" poll 50 one_main_window
fi
check "the running copy still runs" app_alive

# The desktop entry: valid, declares the data files' types and passes the file on.
if command -v desktop-file-validate >/dev/null 2>&1; then
    ENTRY="$(cd "$(dirname "$0")/../.." && pwd)/resources/org.korvanta.Korvanta.desktop"
    check "the desktop entry validates" desktop-file-validate "$ENTRY"
    check "the desktop entry passes %f on" grep -q '^Exec=korvanta %f$' "$ENTRY"
    check "the desktop entry declares text/csv" grep -q '^MimeType=.*text/csv;' "$ENTRY"
    check "the desktop entry declares text/tab-separated-values" \
        grep -q '^MimeType=.*text/tab-separated-values;' "$ENTRY"
else
    fail "desktop-file-validate is not installed"
fi

e2e_finish
