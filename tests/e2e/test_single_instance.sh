#!/usr/bin/env bash
# A second start of the program hands over to the running copy: the running window comes back
# (restored and raised), the second copy ends with status 0 without showing a window, and the
# settings file is left alone. When the running copy cannot answer, the second copy shows its
# message box titled "Korvanta_2" and ends after OK.
#
# Usage: bash test_single_instance.sh <Korvanta executable> <work dir>
#
# Runs on its own X server (Xvfb). With openbox installed it also runs a window manager, so that
# minimizing, restoring and activating are real; without one, X has no minimized state and that
# part is skipped (KORVANTA_E2E_NO_WM=1 runs without one even where openbox is installed).
# Every wait has a time limit; everything started here is ended on exit.

set -u

EXE=${1:-}
WORK=${2:-}
if [[ -z "$EXE" || -z "$WORK" ]]; then
    echo "usage: bash $0 <Korvanta executable> <work dir>" >&2
    exit 2
fi
if [[ ! -x "$EXE" ]]; then
    echo "FAIL: no executable at $EXE" >&2
    exit 1
fi
for tool in Xvfb xdotool xdpyinfo xprop xwininfo md5sum timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is not installed" >&2
        exit 1
    fi
done

mkdir -p "$WORK" || exit 1
WORK=$(cd "$WORK" && pwd)
PROG="$WORK/program"
DATA="$WORK/data"
RUNTIME="$WORK/runtime"
rm -rf -- "$PROG" "$DATA" "$RUNTIME" "$WORK/screen.png" "$WORK/message-box.png"
mkdir -p "$PROG" "$DATA" "$RUNTIME" || exit 1
chmod 700 "$RUNTIME"

XVFB_PID=""
WM_PID=""
COVER_PID=""
FIRST_PID=""
SECOND_PID=""
DISPLAY_NUM=""

log() { echo "[single-instance] $*"; }

# Waits up to $2 tenths of a second for process $1 to end; false if it is still running.
wait_gone() {
    for _ in $(seq "$2"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

stop_pid() {
    local pid=$1
    [[ -z "$pid" ]] && return
    kill -0 "$pid" 2>/dev/null || return
    kill -CONT "$pid" 2>/dev/null
    kill -TERM "$pid" 2>/dev/null
    wait_gone "$pid" 50
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

cleanup() {
    stop_pid "$SECOND_PID"
    stop_pid "$FIRST_PID"
    stop_pid "$COVER_PID"
    stop_pid "$WM_PID"
    stop_pid "$XVFB_PID"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

screenshot() {
    local file=$1
    if command -v import >/dev/null 2>&1; then
        timeout 20 import -display ":$DISPLAY_NUM" -window root "$file" 2>/dev/null && return
    fi
    if command -v xwd >/dev/null 2>&1; then
        timeout 20 xwd -display ":$DISPLAY_NUM" -root -silent -out "${file%.png}.xwd" 2>/dev/null
    fi
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -n "$DISPLAY_NUM" && ! -e "$WORK/screen.png" ]]; then
        screenshot "$WORK/screen.png"
    fi
    for f in "$WORK"/*.log; do
        [[ -s "$f" ]] && { echo "--- $f" >&2; tail -n 20 "$f" >&2; }
    done
    exit 1
}

# --- the program folder: the executable, a settings file for a normal start, some data
cp -- "$EXE" "$PROG/Korvanta" || fail "cannot copy the executable"
for f in "$(dirname -- "$EXE")"/*.csv "$(dirname -- "$EXE")"/*.CSV; do
    [[ -f "$f" ]] && cp -- "$f" "$DATA/"
done
INI="$PROG/Korvanta.ini"
printf '%s\r\n' \
    '[Tool]' \
    'Dir1V=True' 'Temae=False' 'NoCopy=False' 'ScrollBerSetei=False' 'KensakuKaisi=False' \
    'PuHyoujiSet=False' 'SentakuDataKiroku=True' 'WebJyunkai=True' 'WebDblClickOpen=True' \
    "FilePath=$DATA/" 'FileListIndex=-1' \
    '[Position]' \
    'Top=1500' 'Left=3000' 'Height=6000' 'Width=4500' 'Dir1Height=1350' \
    'ViewFormHight=5700' 'ViewFormWidth=7000' >"$INI" || fail "cannot write $INI"

# --- an X server of our own on a free display
for n in $(seq 97 160); do
    [[ -e "/tmp/.X$n-lock" || -e "/tmp/.X11-unix/X$n" ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then
            DISPLAY_NUM=$n
            break
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    [[ -n "$DISPLAY_NUM" ]] && break
    stop_pid "$XVFB_PID"
    XVFB_PID=""
done
[[ -n "$DISPLAY_NUM" ]] || fail "could not start Xvfb on any display from :97 to :160"
log "X server on :$DISPLAY_NUM"

export DISPLAY=":$DISPLAY_NUM"
export XDG_RUNTIME_DIR="$RUNTIME"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

HAVE_WM=0
if [[ "${KORVANTA_E2E_NO_WM:-0}" == 1 ]]; then
    log "running without a window manager: minimize and restore are not exercised"
elif command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >"$WORK/wm.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && { HAVE_WM=1; break; }
        sleep 0.1
    done
    if [[ $HAVE_WM == 1 ]]; then log "window manager: openbox"; else log "openbox did not start"; fi
else
    log "no window manager installed (openbox): minimize and restore are not exercised"
fi

window_ids() { # visible windows whose title is exactly $1
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}

# Is window $1 stacked above window $2? With a window manager the clients' order is on the root
# window (bottom first); without one the windows are the root's children (xwininfo lists the top
# first).
stacked_above() {
    local a=$(( $1 )) b=$(( $2 )) order pos=0 pa=-1 pb=-1 id
    if [[ $HAVE_WM == 1 ]]; then
        order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g')
        for id in $order; do
            (( $((id)) == a )) && pa=$pos
            (( $((id)) == b )) && pb=$pos
            pos=$((pos + 1))
        done
        (( pa >= 0 && pb >= 0 && pa > pb ))
    else
        order=$(xwininfo -root -children | awk '/^ +0x/ {print $1}')
        for id in $order; do
            (( $((id)) == a )) && pa=$pos
            (( $((id)) == b )) && pb=$pos
            pos=$((pos + 1))
        done
        (( pa >= 0 && pb >= 0 && pa < pb ))
    fi
}

wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'; }

folder_listing() { (cd "$PROG" && ls -lA --time-style=full-iso); }

# --- the first copy
"$PROG/Korvanta" >"$WORK/first.log" 2>&1 &
FIRST_PID=$!
WID=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvanta$' 2>/dev/null | head -n 1)
[[ -n "$WID" ]] || fail "the first copy showed no window titled Korvanta within 30 s"
kill -0 "$FIRST_PID" 2>/dev/null || fail "the first copy ended on its own"
log "first copy: pid $FIRST_PID, window $WID"

# Something else in front: another program's window over ours.
COVER_ID=""
if command -v xmessage >/dev/null 2>&1; then
    xmessage -geometry 500x500+0+0 -title cover "another program" >/dev/null 2>&1 &
    COVER_PID=$!
    COVER_ID=$(timeout 10 xdotool search --sync --onlyvisible --name '^cover$' 2>/dev/null | head -n 1)
    [[ -n "$COVER_ID" ]] && xdotool windowraise "$COVER_ID" 2>/dev/null
    sleep 0.3
    if [[ -n "$COVER_ID" ]] && ! stacked_above "$COVER_ID" "$WID"; then
        log "the cover window could not be put in front; not checking the raise"
        COVER_ID=""
    fi
fi

MINIMIZED=0
if [[ $HAVE_WM == 1 ]]; then
    xdotool windowminimize "$WID"
    for _ in $(seq 50); do
        [[ "$(wm_state "$WID")" == Iconic ]] && { MINIMIZED=1; break; }
        sleep 0.1
    done
    [[ $MINIMIZED == 1 ]] || fail "the window manager did not minimize the window"
    window_ids Korvanta | grep -qx "$WID" && fail "the minimized window is still shown"
    log "window minimized"
fi

INI_MD5=$(md5sum <"$INI")
LISTING=$(folder_listing)

# --- the second copy hands over and ends
"$PROG/Korvanta" >"$WORK/second.log" 2>&1 &
SECOND_PID=$!
SECOND_WINDOW=""
for _ in $(seq 100); do
    kill -0 "$SECOND_PID" 2>/dev/null || break
    w=$(xdotool search --onlyvisible --pid "$SECOND_PID" 2>/dev/null | head -n 1)
    [[ -n "$w" ]] && SECOND_WINDOW="$w ($(xdotool getwindowname "$w" 2>/dev/null))"
    sleep 0.1
done
if kill -0 "$SECOND_PID" 2>/dev/null; then
    screenshot "$WORK/screen.png"
    fail "the second copy was still running after 10 s${SECOND_WINDOW:+; it shows window $SECOND_WINDOW}"
fi
wait "$SECOND_PID"
RC=$?
SECOND_PID=""
[[ $RC == 0 ]] || fail "the second copy ended with status $RC"
[[ -z "$SECOND_WINDOW" ]] || fail "the second copy showed a window: $SECOND_WINDOW"
log "second copy ended with status 0 and showed no window"

SHOWN=0
for _ in $(seq 50); do
    if window_ids Korvanta | grep -qx "$WID"; then SHOWN=1; break; fi
    sleep 0.1
done
[[ $SHOWN == 1 ]] || fail "the first copy's window is not shown after the hand-over"
if [[ $MINIMIZED == 1 ]]; then
    for _ in $(seq 50); do
        [[ "$(wm_state "$WID")" == Normal ]] && break
        sleep 0.1
    done
    [[ "$(wm_state "$WID")" == Normal ]] || fail "the window is still minimized (WM_STATE $(wm_state "$WID"))"
    log "window restored"
fi
if [[ -n "$COVER_ID" ]]; then
    RAISED=0
    for _ in $(seq 50); do
        if stacked_above "$WID" "$COVER_ID"; then RAISED=1; break; fi
        sleep 0.1
    done
    [[ $RAISED == 1 ]] || fail "the first copy's window was not raised above the other window"
    log "window raised above the other program's window"
fi
if [[ $HAVE_WM == 1 ]]; then
    ACTIVE=""
    for _ in $(seq 50); do
        ACTIVE=$(xdotool getactivewindow 2>/dev/null)
        [[ "$ACTIVE" == "$WID" ]] && break
        sleep 0.1
    done
    [[ "$ACTIVE" == "$WID" ]] || fail "the first copy's window is not the active window (active: $ACTIVE)"
    log "window active"
fi
kill -0 "$FIRST_PID" 2>/dev/null || fail "the first copy ended during the hand-over"
[[ "$(md5sum <"$INI")" == "$INI_MD5" ]] || fail "the settings file changed during the hand-over"
[[ "$(folder_listing)" == "$LISTING" ]] || fail "the program folder changed during the hand-over"
log "settings file and program folder unchanged"
screenshot "$WORK/screen.png"

# --- a running copy that does not answer: the second copy says so and ends after OK
kill -STOP "$FIRST_PID"
"$PROG/Korvanta" >"$WORK/second-unanswered.log" 2>&1 &
SECOND_PID=$!
BOX=$(timeout 20 xdotool search --sync --onlyvisible --name '^Korvanta_2$' 2>/dev/null | head -n 1)
[[ -n "$BOX" ]] || fail "no message box titled Korvanta_2 when the running copy does not answer"
kill -0 "$SECOND_PID" 2>/dev/null || fail "the second copy ended before the message was confirmed"
screenshot "$WORK/message-box.png"
timeout 10 xdotool windowfocus --sync "$BOX" 2>/dev/null
xdotool key --clearmodifiers Return
wait_gone "$SECOND_PID" 100 || fail "the second copy did not end within 10 s after OK"
wait "$SECOND_PID"
RC=$?
SECOND_PID=""
[[ $RC == 0 ]] || fail "the second copy ended with status $RC after the message"
[[ "$(md5sum <"$INI")" == "$INI_MD5" ]] || fail "the settings file changed although the copy only showed the message"
kill -CONT "$FIRST_PID"
sleep 0.5
kill -0 "$FIRST_PID" 2>/dev/null || fail "the first copy died after the unanswered request"
log "unanswered hand-over: message box shown, second copy ended with status 0"

# --- the first copy closes on a termination signal, running its closing sequence
kill -TERM "$FIRST_PID"
wait_gone "$FIRST_PID" 100 || fail "the first copy did not close within 10 s of SIGTERM"
wait "$FIRST_PID"
RC=$?
FIRST_PID=""
[[ $RC == 0 ]] || fail "the first copy ended with status $RC after SIGTERM"
log "first copy closed"

echo "PASS: single instance hand-over (screenshot: $WORK/screen.png)"
exit 0
