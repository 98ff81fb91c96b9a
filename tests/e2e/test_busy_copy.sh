#!/usr/bin/env bash
# A second start waits for a running copy that is busy: the running copy is kept busy on purpose
# (stopped with SIGSTOP for longer than a start-up would take, then let go on), and the second
# copy neither gives up nor shows its message; once the running copy answers, its window comes
# back and the second copy ends with status 0. The same holds for a file handed over, which the
# running copy then opens. A running copy that dies while the second one waits is reported
# with the message box titled "Korvanta_2" at once.
#
# Usage: bash test_busy_copy.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init busy-copy "$@"
e2e_program_folder

write_goods 1
write_cp932 "$PROG/other.csv" <<'DATA'
品名,品番
ﾐｶﾝ,B-01
ﾌﾞﾄﾞｳ,B-02
DATA
normal_ini other.csv 'KoumokuHyoujiNo=2' 'DataListIndex=1'

# watch_second TENTHS: watches the second copy for that long; sets SECOND_SHOWN to a window it
# showed, and fails when it ended meanwhile.
watch_second() {
    local i
    SECOND_SHOWN=""
    for ((i = 0; i < $1; i++)); do
        kill -0 "$SECOND_PID" 2>/dev/null || return 1
        note_second_window
        sleep 0.1
    done
    return 0
}

app_start || e2e_finish
FIRST_PID=$APP_PID
INI_MD5=$(md5sum <"$INI")

# --- busy while a second copy asks it to come forward
xdotool windowminimize "$WID"
check "the window manager minimized the window" poll 50 is_hidden
kill -STOP "$FIRST_PID"
start_second forward
check "the second copy waits for the busy copy for 5 s" watch_second 50
check "the second copy shows no message while it waits${SECOND_SHOWN:+ (it showed $SECOND_SHOWN)}" test -z "$SECOND_SHOWN"
kill -CONT "$FIRST_PID"
second_ends "coming forward after being busy"
check "the running copy's window is shown again" poll 50 eval '! is_hidden'
check "the running copy's window is the active window" poll 50 is_active
check "the settings file is unchanged by the hand-over" test "$(md5sum <"$INI")" = "$INI_MD5"

# --- busy while a second copy hands over a file
kill -STOP "$FIRST_PID"
start_second open "$PROG/other.csv"
check "the second copy with a file waits for the busy copy for 5 s" watch_second 50
check "the second copy with a file shows no message while it waits${SECOND_SHOWN:+ (it showed $SECOND_SHOWN)}" test -z "$SECOND_SHOWN"
kill -CONT "$FIRST_PID"
second_ends "handing over other.csv after being busy"
wait_for_clipboard "B-02" "the running copy opened other.csv with its remembered row"
check "the running copy still runs" app_alive

# --- a running copy that dies while a second copy waits for it
kill -STOP "$FIRST_PID"
start_second gone
watch_second 20
kill -KILL "$FIRST_PID"
wait "$FIRST_PID" 2>/dev/null
APP_PID=""
BOX=$(second_box 10)
if [[ -n "$BOX" ]]; then
    pass "a message box titled Korvanta_2 soon after the running copy died"
    second_ok "$BOX"
else
    fail "no message box titled Korvanta_2 within 10 s of the running copy's death"
fi
e2e_finish
