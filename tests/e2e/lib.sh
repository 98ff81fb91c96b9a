# Shared harness of the end-to-end tests, sourced by every tests/e2e/test_*.sh:
#
#   source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
#   e2e_init my-topic "$@"          # <Korvanta executable> <work dir>
#   e2e_program_folder             # $PROG with a copy of the executable
#   write_cp932 "$PROG/goods.csv" <<'EOF' ... EOF
#   write_ini <<EOF ... EOF
#   app_start                      # $APP_PID, $WID
#   key ctrl+o; type_text abc; click_at X Y
#   wait_for_clipboard "A-01" "after opening goods.csv"
#   e2e_finish
#
# e2e_init re-runs the script under a time limit on an X server of its own (Xvfb, 1024x768x24,
# a free display) with openbox as the window manager (or another one: E2E_WM), so that frames,
# activation, minimizing and the window manager's placement are real. Input goes to the focused window the way a person's
# does (no synthetic events to a window id); every check is made from outside: the X clipboard,
# the window manager's view of the window, the settings file on disk, the process.
# Every wait is a poll with a time limit. Everything started here is ended on exit.

E2E_SCREEN_W=1024
E2E_SCREEN_H=768

# --- results -------------------------------------------------------------------------------------

E2E_PASSED=0
E2E_FAILED=0
E2E_SHOTS=0

log() { echo "[$E2E_NAME] ${SECONDS}s $*"; }

screenshot() { # FILE: the whole screen as PNG
    [[ -n "${DISPLAY:-}" ]] && timeout 20 import -window root "$1" 2>/dev/null
}

pass() {
    E2E_PASSED=$((E2E_PASSED + 1))
    log "ok: $*"
}

fail() {
    E2E_FAILED=$((E2E_FAILED + 1))
    E2E_SHOTS=$((E2E_SHOTS + 1))
    local shot="$WORK/fail-$E2E_SHOTS.png"
    if screenshot "$shot"; then
        echo "FAIL: [$E2E_NAME] $* (screenshot: $shot)"
    else
        echo "FAIL: [$E2E_NAME] $*"
    fi
    return 1
}

# check "what" command...: one checked step.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

# Ends the test here after a failure that makes the rest meaningless.
abort() {
    fail "$*"
    e2e_finish
}

e2e_finish() {
    echo "$E2E_NAME: $E2E_PASSED passed, $E2E_FAILED failed"
    if ((E2E_FAILED > 0)) && [[ -n "${APP_LOG:-}" && -s "$APP_LOG" ]]; then
        echo "--- program output ($APP_LOG):"
        tail -n 20 "$APP_LOG"
    fi
    ((E2E_FAILED == 0)) && exit 0
    exit 1
}

# --- processes -----------------------------------------------------------------------------------

E2E_PIDS=()

# Waits up to $2 tenths of a second for process $1 to end; false if it still runs.
wait_gone() {
    local i
    for ((i = 0; i < $2; i++)); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

stop_pid() {
    local pid=$1
    [[ -z "$pid" ]] && return 0
    kill -0 "$pid" 2>/dev/null || return 0
    kill -CONT "$pid" 2>/dev/null
    kill -TERM "$pid" 2>/dev/null
    wait_gone "$pid" 50 || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

e2e_cleanup() {
    local i
    [[ -n "${SECOND_PID:-}" ]] && stop_pid "$SECOND_PID"
    [[ -n "${APP_PID:-}" ]] && stop_pid "$APP_PID"
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        stop_pid "${E2E_PIDS[$i]}"
    done
    [[ -n "${E2E_USER_TMP:-}" ]] && rm -rf -- "$E2E_USER_TMP"
    return 0
}

# Polls "$@" every 0.1 s for up to $1 tenths of a second.
poll() {
    local n=$1 i
    shift
    for ((i = 0; i < n; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    "$@"
}

# --- set-up --------------------------------------------------------------------------------------

# e2e_init NAME EXE WORK: checks the tools, re-runs the script on its own X server under a time
# limit (E2E_TIME_LIMIT seconds, default 200) and starts the window manager. With E2E_NO_X=1 the
# script runs under the time limit without an X server (one whose program runs elsewhere, such as
# in a Debian root with an X server of its own there).
e2e_init() {
    E2E_NAME=$1
    EXE=${2:-}
    WORK=${3:-}
    if [[ -z "$EXE" || -z "$WORK" ]]; then
        echo "usage: bash $0 <Korvanta executable> <work dir>" >&2
        exit 2
    fi
    if [[ -z "${KORVANTA_E2E_INNER:-}" ]]; then
        local tool tools=(Xvfb openbox wmctrl xdotool xclip xprop xwininfo xdpyinfo import iconv timeout)
        [[ -n "${E2E_NO_X:-}" ]] && tools=(timeout)
        for tool in "${tools[@]}"; do
            command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
        done
        [[ -x "$EXE" ]] || { echo "FAIL: no executable at $EXE" >&2; exit 1; }
        EXE=$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")
        mkdir -p "$WORK" || exit 1
        WORK=$(cd "$WORK" && pwd)
        KORVANTA_E2E_INNER=1 exec timeout -k 10 "${E2E_TIME_LIMIT:-200}" \
            bash "$0" "$EXE" "$WORK"
    fi

    trap e2e_cleanup EXIT
    trap 'echo "FAIL: [$E2E_NAME] interrupted"; exit 130' INT TERM
    rm -rf -- "$WORK"/fail-*.png "$WORK"/*.log
    if [[ -n "${E2E_NO_X:-}" ]]; then
        unset DISPLAY
        return 0
    fi

    # An X server on a display it picks itself.
    local dfile="$WORK/display" i
    rm -f "$dfile"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" -nolisten tcp -noreset \
        3>"$dfile" >"$WORK/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    for ((i = 0; i < 100; i++)); do
        [[ -s "$dfile" ]] && break
        sleep 0.1
    done
    [[ -s "$dfile" ]] || { echo "FAIL: [$E2E_NAME] Xvfb did not start"; exit 1; }
    export DISPLAY=":$(head -n 1 "$dfile" | tr -d '[:space:]')"
    poll 100 xdpyinfo >/dev/null 2>&1 || { echo "FAIL: [$E2E_NAME] no X server on $DISPLAY"; exit 1; }

    unset WAYLAND_DISPLAY SESSION_MANAGER XDG_CURRENT_DESKTOP DESKTOP_SESSION
    export QT_QPA_PLATFORM=xcb
    export LC_ALL=C.UTF-8

    # The window manager. (The server runs with -noreset: otherwise it resets when the last
    # client, such as the xdpyinfo above, disconnects, and a client connecting meanwhile fails.)
    start_window_manager
    log "X server $DISPLAY with ${E2E_WM:-openbox}"
}

# The window manager, chosen by E2E_WM before e2e_init:
# - openbox (the default), with its own configuration and the minimize animation off, so that a
#   window's place is final once its state says it is shown;
# - mutter (GNOME's, run with its X11 backend and without a session), which prevents focus
#   stealing: a window is activated at a program's request only when the request's time is not
#   older than the user's last input.
start_window_manager() {
    case ${E2E_WM:-openbox} in
    openbox)
        E2E_WM_NAME=Openbox
        local rc=/etc/xdg/openbox/rc.xml
        if [[ -f "$rc" ]]; then
            sed 's|<animateIconify>yes</animateIconify>|<animateIconify>no</animateIconify>|' "$rc" >"$WORK/openbox-rc.xml"
            openbox --sm-disable --config-file "$WORK/openbox-rc.xml" >"$WORK/wm.log" 2>&1 &
        else
            openbox --sm-disable >"$WORK/wm.log" 2>&1 &
        fi
        ;;
    mutter)
        E2E_WM_NAME=Mutter
        command -v mutter >/dev/null 2>&1 || { echo "FAIL: [$E2E_NAME] mutter is not installed"; exit 1; }
        # No session bus (an address where none listens): mutter runs without one, and never
        # takes names on the bus of the desktop the tests run in.
        DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-session-bus" mutter --x11 --replace --sm-disable >"$WORK/wm.log" 2>&1 &
        ;;
    *)
        echo "FAIL: [$E2E_NAME] unknown window manager E2E_WM=$E2E_WM"
        exit 1
        ;;
    esac
    E2E_PIDS+=($!)
    poll 100 wm_running || { echo "FAIL: [$E2E_NAME] ${E2E_WM:-openbox} did not start: $(cat "$WORK/wm.log")"; exit 1; }
}

wm_running() {
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | sed -n 's/.*window id # *//p')
    [[ -n "$id" ]] && xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -qi "\"$E2E_WM_NAME\""
}

# A fresh program folder $PROG with a copy of the executable, a runtime folder of its own and a
# folder $BIN put first on the program's PATH (for stand-in openers).
e2e_program_folder() {
    PROG="$WORK/program"
    BIN="$WORK/bin"
    RUNTIME="$WORK/runtime"
    INI="$PROG/Korvanta.ini"
    rm -rf -- "$PROG" "$BIN" "$RUNTIME"
    mkdir -p "$PROG" "$BIN" "$RUNTIME" || exit 1
    chmod 700 "$RUNTIME"
    cp -- "$EXE" "$PROG/Korvanta" || exit 1
}

# e2e_run_as_user: from here on the program runs as an unprivileged user, for whom folder
# permissions hold (root ignores them): run by root, as the user nobody; run by another user, as
# that user. $USER_WORK is a folder the user can reach for the files it is to read: $WORK, or, when
# $WORK lies where nobody cannot go (a home folder closed to others), a folder in /tmp, to which
# the program folder $PROG and the runtime folder move. Its home is $USER_HOME, an empty folder of
# its own in $USER_WORK, whose configuration folder is $USER_HOME/.config.
E2E_USER_TMP=""
e2e_run_as_user() {
    USER_WORK=$WORK
    E2E_RUN_AS=()
    if [[ $(id -u) -eq 0 ]]; then
        E2E_RUN_AS=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
        if ! "${E2E_RUN_AS[@]}" test -x "$PROG/Korvanta"; then
            E2E_USER_TMP=$(mktemp -d /tmp/korvanta-e2e.XXXXXX) || exit 1
            chmod 755 "$E2E_USER_TMP"
            mv -- "$PROG" "$RUNTIME" "$E2E_USER_TMP/" || exit 1
            USER_WORK=$E2E_USER_TMP
            PROG="$USER_WORK/$(basename "$PROG")"
            RUNTIME="$USER_WORK/$(basename "$RUNTIME")"
            INI="$PROG/Korvanta.ini"
        fi
    fi
    USER_HOME="$USER_WORK/home"
    rm -rf -- "$USER_HOME"
    mkdir -p "$USER_HOME" || exit 1
    if [[ $(id -u) -eq 0 ]]; then
        chown nobody: "$USER_HOME" "$RUNTIME" || abort "cannot hand $USER_HOME to the user nobody"
    fi
    E2E_RUN_AS+=(env HOME="$USER_HOME" XDG_CONFIG_HOME="$USER_HOME/.config")
    "${E2E_RUN_AS[@]}" test -x "$PROG/Korvanta" ||
        abort "the unprivileged user cannot run $PROG/Korvanta (a folder on its way is closed to it)"
}

# write_cp932 FILE: stdin (UTF-8, one record a line) as code page 932 with CR LF line ends.
write_cp932() {
    sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$1" || abort "cannot write $1 in code page 932"
}

# write_ini: stdin as the settings file Korvanta.ini (code page 932, CR LF).
write_ini() { write_cp932 "$INI"; }

# The [Tool] and [Position] lines of a normal start (no manual window): options off except
# the selection memory, the folder $PROG, the window at the top left.
normal_tool_section() {
    cat <<EOF
[Tool]
Dir1V=${DIR1V:-False}
Temae=${TEMAE:-False}
NoCopy=False
ScrollBerSetei=${SCROLLBAR:-False}
KensakuKaisi=${KENSAKU:-False}
PuHyoujiSet=False
SentakuDataKiroku=True
WebJyunkai=True
WebDblClickOpen=True
FilePath=$PROG/
FileListIndex=${FILE_INDEX:--1}
[Position]
Top=${POS_TOP:-0}
Left=${POS_LEFT:-0}
Height=${POS_HEIGHT:-6000}
Width=${POS_WIDTH:-4500}
Dir1Height=1350
ViewFormHight=${VIEW_H:-6000}
ViewFormWidth=${VIEW_W:-9000}
EOF
}

# write_goods [RECORDS]: goods.csv (品名,品番) in the program folder with its first RECORDS
# (1 or 2, default 2) of the records ﾘﾝｺﾞ,A-01 and ﾐｶﾝ,A-02.
write_goods() {
    printf '%s\n' 品名,品番 ﾘﾝｺﾞ,A-01 ﾐｶﾝ,A-02 | head -n $((1 + ${1:-2})) | write_cp932 "$PROG/goods.csv"
}

# write_fruit RECORDS: fruit.csv (name,code) in the program folder with its first RECORDS of the
# records apple,A-01, banana,B-02, cherry,C-03 and mango,M-04.
write_fruit() {
    printf '%s\n' name,code apple,A-01 banana,B-02 cherry,C-03 mango,M-04 | head -n $((1 + $1)) | write_cp932 "$PROG/fruit.csv"
}

# normal_ini [FILE LINE...]: writes the settings file of a normal start (normal_tool_section,
# whose variables apply) and, given a FILE, the section [FILE] with the LINEs (KEY=VALUE).
normal_ini() {
    {
        normal_tool_section
        if (($#)); then printf '%s\n' "[$1]" "${@:2}"; fi
    } | write_ini
}

# ini_get SECTION KEY: a value of the settings file on disk (sections and keys ignore case);
# fails when there is no such key.
ini_get() {
    [[ -f "$INI" ]] || return 1
    iconv -f CP932 -t UTF-8 "$INI" | tr -d '\r' | awk -v s="$1" -v k="$2" '
        BEGIN { s = tolower(s); k = tolower(k) }
        /^[ \t]*\[/ { sec = $0; sub(/^[ \t]*\[/, "", sec); sub(/\].*$/, "", sec); insec = (tolower(sec) == s); next }
        insec {
            i = index($0, "=")
            if (i == 0) next
            key = substr($0, 1, i - 1); gsub(/^[ \t]+|[ \t]+$/, "", key)
            if (tolower(key) != k) next
            v = substr($0, i + 1); gsub(/^[ \t]+|[ \t]+$/, "", v)
            print v; found = 1; exit
        }
        END { exit !found }'
}

# --- the program ---------------------------------------------------------------------------------

APP_PID=""
WID=""

# A command prefix the program is started through, empty for the user running the test; set by
# e2e_run_as_user.
E2E_RUN_AS=()

# app_launch: starts Korvanta in $PROG without waiting for anything: sets APP_PID.
app_launch() {
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$PROG" && PATH="$BIN:$PATH" XDG_RUNTIME_DIR="$RUNTIME" exec "${E2E_RUN_AS[@]}" ./Korvanta) >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
}

# wait_main [timeout s]: waits for the main window ('Korvanta') of the started program, framed by
# the window manager, and activates it: sets WID.
wait_main() {
    local limit=${1:-20} i
    for ((i = 0; i < limit * 10; i++)); do
        WID=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name '^Korvanta$' 2>/dev/null | head -n 1)
        [[ -n "$WID" ]] && break
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -z "$WID" ]]; then
        kill -0 "$APP_PID" 2>/dev/null || { fail "Korvanta ended before showing its window"; return 1; }
        fail "no window titled Korvanta within $limit s"
        return 1
    fi
    poll 50 has_frame_extents
    activate
    return 0
}

# app_start [timeout s]: starts Korvanta in $PROG and waits for its main window: APP_PID, WID.
app_start() {
    app_launch
    wait_main "$@"
}

# --- a second copy beside the first ---------------------------------------------------------------

# The second copy's pid while it runs; e2e_cleanup stops it.
SECOND_PID=""

# start_second NAME ARGS...: starts another copy in the program folder with ARGS (stand-ins first
# on its PATH), its output in second-NAME.log; sets SECOND_PID.
start_second() {
    local name=$1
    shift
    (cd "$PROG" && PATH="$BIN:$PATH" XDG_RUNTIME_DIR="$RUNTIME" exec ./Korvanta "$@") \
        >"$WORK/second-$name.log" 2>&1 &
    SECOND_PID=$!
}

second_window() { xdotool search --onlyvisible --pid "$SECOND_PID" 2>/dev/null | head -n 1; }

# note_second_window: sets SECOND_SHOWN to the second copy's shown window, unless already set.
note_second_window() {
    local w
    w=$(second_window)
    [[ -n "$w" && -z "$SECOND_SHOWN" ]] && SECOND_SHOWN="$w ($(xdotool getwindowname "$w" 2>/dev/null))"
    return 0
}

# second_ends WHAT: the second copy ends within 10 s with status 0 and showed no window (noted
# in SECOND_SHOWN, which the caller empties first). One that still runs is stopped; returns 1.
second_ends() {
    local status i
    for ((i = 0; i < 100; i++)); do
        kill -0 "$SECOND_PID" 2>/dev/null || break
        note_second_window
        sleep 0.1
    done
    if kill -0 "$SECOND_PID" 2>/dev/null; then
        fail "$1: the second copy still runs after 10 s${SECOND_SHOWN:+; it shows window $SECOND_SHOWN}"
        stop_pid "$SECOND_PID"
        SECOND_PID=""
        return 1
    fi
    wait "$SECOND_PID"
    status=$?
    SECOND_PID=""
    check "$1: the second copy ended with status 0 (got $status)" test "$status" = 0
    check "$1: the second copy showed no window${SECOND_SHOWN:+ (it showed $SECOND_SHOWN)}" test -z "$SECOND_SHOWN"
}

# second_box SECONDS: the id of the second copy's message box titled Korvanta_2, once shown
# within SECONDS; empty when none came.
second_box() {
    timeout "$1" xdotool search --all --sync --onlyvisible --pid "$SECOND_PID" --name '^Korvanta_2$' 2>/dev/null | head -n 1
}

# second_ok BOX: OK on the second copy's message box BOX; checks that the second copy then ends
# within 10 s and sets SECOND_STATUS to its exit status.
second_ok() {
    activate "$1"
    key Return
    check "the second copy ends after OK" wait_gone "$SECOND_PID" 100
    wait "$SECOND_PID"
    SECOND_STATUS=$?
    SECOND_PID=""
}

has_frame_extents() { xprop -id "$WID" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }

app_alive() { [[ -n "$APP_PID" ]] && kill -0 "$APP_PID" 2>/dev/null; }

# app_responsive: the program runs and answers a request through its event loop: asked for the
# clipboard's formats (it owns the clipboard after a copy), it answers within 3 s.
app_responsive() {
    app_alive && timeout 3 xclip -o -selection clipboard -t TARGETS >/dev/null 2>&1
}

# close_window WINDOW: asks the window manager to close the window, as its close button does (it
# sends the window WM_DELETE_WINDOW). Unlike Alt+F4 this does not depend on which window holds the
# keyboard focus at that moment.
close_window() { wmctrl -i -c "$1"; }

# app_close: closes the main window as the window manager's close button does and waits for the
# process to end; false if it does not end within 10 s.
app_close() {
    [[ -n "$APP_PID" ]] || return 0
    close_window "$WID"
    if ! wait_gone "$APP_PID" 100; then
        fail "Korvanta did not end within 10 s of being closed"
        stop_pid "$APP_PID"
        APP_PID=""
        return 1
    fi
    wait "$APP_PID" 2>/dev/null
    APP_PID=""
    return 0
}

# app_term: ends the program with SIGTERM, which it handles like closing.
app_term() {
    [[ -n "$APP_PID" ]] || return 0
    kill -TERM "$APP_PID" 2>/dev/null
    if ! wait_gone "$APP_PID" 100; then
        fail "Korvanta did not end within 10 s of SIGTERM"
        stop_pid "$APP_PID"
        APP_PID=""
        return 1
    fi
    wait "$APP_PID" 2>/dev/null
    APP_PID=""
}

# --- windows -------------------------------------------------------------------------------------

active_window() { xdotool getactivewindow 2>/dev/null; }

is_active() { [[ "$(active_window)" == "$WID" ]]; }

# activate [window]: makes the window active and waits until it is (up to 5 s).
activate() {
    local w=${1:-$WID}
    # Only a window the window manager has framed can be activated.
    poll 50 eval 'xprop -id "'"$w"'" _NET_FRAME_EXTENTS 2>/dev/null | grep -q "="'
    xdotool windowactivate "$w" 2>/dev/null
    poll 50 eval '[[ "$(active_window)" == "'"$w"'" ]]'
}

# Is window $1 stacked above window $2 in the window manager's stacking order (bottom first)?
stacked_above() {
    local a=$(($1)) b=$(($2)) pos=0 pa=-1 pb=-1 id
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g'); do
        (($((id)) == a)) && pa=$pos
        (($((id)) == b)) && pb=$pos
        pos=$((pos + 1))
    done
    ((pa >= 0 && pb >= 0 && pa > pb))
}

# Windows of the program titled exactly $1 (visible ones), one id a line.
program_windows() {
    xdotool search --all --onlyvisible --pid "$APP_PID" --name "^$1\$" 2>/dev/null
}

# A visible window of the program titled $1 other than the main window; "" if none.
other_window() { program_windows "$1" | grep -vx "$WID" | head -n 1; }

# wait_for_window TITLE [tenths]: waits for a window of the program titled TITLE other than the
# main window and prints its id.
wait_for_window() {
    local n=${2:-50} i w
    for ((i = 0; i < n; i++)); do
        w=$(other_window "$1")
        [[ -n "$w" ]] && { echo "$w"; return 0; }
        sleep 0.1
    done
    return 1
}

window_shown() { xdotool search --all --onlyvisible --pid "$APP_PID" --name '^Korvanta$' 2>/dev/null | grep -qx "$WID"; }

net_wm_state() { xprop -id "${1:-$WID}" _NET_WM_STATE 2>/dev/null | sed -n 's/.*= *//p'; }

is_hidden() { net_wm_state "${1:-$WID}" | grep -q _NET_WM_STATE_HIDDEN; }

wm_state() { xprop -id "${1:-$WID}" WM_STATE 2>/dev/null | sed -n 's/.*window state: *//p'; }

# client_geometry [window]: X Y WIDTH HEIGHT of the client area on the screen.
client_geometry() {
    local info
    info=$(xwininfo -id "${1:-$WID}" 2>/dev/null) || return 1
    X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
    HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# frame_geometry [window]: "x y w h" of the window with the window manager's frame.
frame_geometry() {
    local w=${1:-$WID} e fl=0 fr=0 ft=0 fb=0
    client_geometry "$w" || return 1
    e=$(xprop -id "$w" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    [[ -n "$e" ]] && IFS=, read -r fl fr ft fb <<<"$e"
    echo "$((X - fl)) $((Y - ft)) $((WIDTH + fl + fr)) $((HEIGHT + ft + fb))"
}

# --- input ---------------------------------------------------------------------------------------

# key KEYS...: key strokes to the focused window, as typed.
key() { xdotool key --clearmodifiers --delay 40 "$@"; }

# type_text TEXT: types TEXT into the focused window.
type_text() { xdotool type --clearmodifiers --delay 60 -- "$1"; }

# settle: a short pause (0.3 s) for the program to take in what was sent, used only where
# there is nothing to poll for: before checking that something did NOT change, and between
# input whose effect is checked by the next step's poll.
settle() { sleep 0.3; }

# move_pointer X Y: moves the mouse pointer to screen (X, Y) and waits until it is there.
# (xdotool's own waiting never ends when the pointer is there already.)
move_pointer() {
    local x y screen window
    eval "$(xdotool getmouselocation --shell 2>/dev/null | sed 's/^/local /')"
    [[ "${X:-}" == "$1" && "${Y:-}" == "$2" ]] && return 0
    timeout 5 xdotool mousemove --sync "$1" "$2"
}

# Two single clicks close together in time and place are a double click to the program; a person
# clicking twice on purpose leaves more time. Every click here waits until the double-click time
# (400 ms, with room) has passed since the last click near the same place.
E2E_LAST_CLICK_X=-100
E2E_LAST_CLICK_Y=-100
E2E_LAST_CLICK_MS=0
now_ms() { echo $(($(date +%s%N) / 1000000)); }
apart_from_last_click() {
    local dx=$(($1 - E2E_LAST_CLICK_X)) dy=$(($2 - E2E_LAST_CLICK_Y)) wait
    if ((dx * dx + dy * dy < 400)); then
        wait=$((E2E_LAST_CLICK_MS + 700 - $(now_ms)))
        ((wait > 0)) && sleep "$(printf '0.%03d' "$wait")"
    fi
    E2E_LAST_CLICK_X=$1
    E2E_LAST_CLICK_Y=$2
}
clicked() { E2E_LAST_CLICK_MS=$(now_ms); }

click_at() { apart_from_last_click "$1" "$2" && move_pointer "$1" "$2" && xdotool click 1 && clicked; }
double_click_at() { apart_from_last_click "$1" "$2" && move_pointer "$1" "$2" && xdotool click --repeat 2 --delay 80 1 && clicked; }
right_click_at() { apart_from_last_click "$1" "$2" && move_pointer "$1" "$2" && xdotool click 3 && clicked; }

# Client-relative coordinates: click_in X Y (pixels inside the main window's client area).
click_in() { client_geometry && click_at $((X + $1)) $((Y + $2)); }
double_click_in() { client_geometry && double_click_at $((X + $1)) $((Y + $2)); }
right_click_in() { client_geometry && right_click_at $((X + $1)) $((Y + $2)); }

# --- clipboard -----------------------------------------------------------------------------------

clipboard() { timeout 2 xclip -o -selection clipboard 2>/dev/null; }

set_clipboard() {
    E2E_WANT=$1
    printf '%s' "$1" | xclip -selection clipboard -i >/dev/null 2>&1
    poll 50 clipboard_is_wanted
}
clipboard_is_wanted() { [[ "$(clipboard)" == "$E2E_WANT" ]]; }

# wait_for_clipboard TEXT WHAT: waits up to 10 s for the clipboard to hold TEXT: one checked step.
wait_for_clipboard() {
    local got="" end=$((SECONDS + 10))
    while :; do
        got=$(clipboard)
        [[ "$got" == "$1" ]] && { pass "$2: clipboard '$1'"; return 0; }
        ((SECONDS >= end)) && break
        sleep 0.2
    done
    app_alive || got="$got (the program has ended)"
    fail "$2: the clipboard holds '$got', expected '$1'"
}

# clipboard_stays TEXT WHAT: the clipboard still holds TEXT after the program took in its input.
clipboard_stays() {
    settle
    local got
    got=$(clipboard)
    if [[ "$got" == "$1" ]]; then pass "$2: clipboard still '$1'"; else fail "$2: the clipboard holds '$got', expected it to stay '$1'"; fi
}

# --- stand-ins for the desktop's openers ---------------------------------------------------------

# recording_opener STATUS: xdg-open (and xdg-mime with no handler) first on the program's PATH;
# xdg-open appends its arguments, one a line, to $OPENED and exits with STATUS. Both append the
# desktop's launch tokens they were given, if any, to $OPENED_TOKENS.
recording_opener() {
    OPENED="$WORK/opened.txt"
    OPENED_TOKENS="$WORK/opened-tokens.txt"
    : >"$OPENED"
    : >"$OPENED_TOKENS"
    cat >"$BIN/xdg-open" <<EOF
#!/bin/sh
env | grep -E '^(XDG_ACTIVATION_TOKEN|DESKTOP_STARTUP_ID)=' | sed 's/^/xdg-open: /' >>"$OPENED_TOKENS"
for a in "\$@"; do printf '%s\n' "\$a" >>"$OPENED"; done
exit $1
EOF
    cat >"$BIN/xdg-mime" <<EOF
#!/bin/sh
env | grep -E '^(XDG_ACTIVATION_TOKEN|DESKTOP_STARTUP_ID)=' | sed 's/^/xdg-mime: /' >>"$OPENED_TOKENS"
exit 0
EOF
    chmod +x "$BIN/xdg-open" "$BIN/xdg-mime"
}

opened_lines() { cat "$OPENED" 2>/dev/null; }

# --- where things are in the client area (96 DPI, the program's fixed layout) ---------------------

# The middle of row K (from 0) of the file list or the data list when the folder pane is closed.
row_y() { echo $((104 + 14 * $1)); }
ROW_X=40

# open_and_copy FILE_ROW DATA_ROW: in the file view with the folder pane closed, a double click
# opens the file of row FILE_ROW and a click copies the data row DATA_ROW; ROW_TEXT is what the
# clipboard then holds (set it to "none" before, to tell a copy from none).
open_and_copy() {
    double_click_in "$ROW_X" "$(row_y "$1")"
    settle
    click_in "$ROW_X" "$(row_y "$2")"
    poll 50 eval '[[ "$(clipboard)" != none && -n "$(clipboard)" ]]'
    ROW_TEXT=$(clipboard)
}

# start_and_open TEXT WHAT: starts the program (or ends the test), selects the first file of the
# list with a click and opens it with Return; waits for its selected row's TEXT on the clipboard.
start_and_open() {
    app_start || e2e_finish
    click_in "$ROW_X" "$(row_y 0)"
    key Return
    wait_for_clipboard "$1" "$2"
}

# The middle of tool button I (0 to 6) of the tool bar; buttons 4 and 5 share one place, 4 the
# upper half and 5 the lower half.
tool_x() { local l=(240 600 960 1320 1680 1680 2040) w=(360 360 345 360 345 345 360); echo $(((${l[$1]} + ${w[$1]} / 2) / 15)); }
tool_y() { case $1 in 4) echo 32 ;; 5) echo 44 ;; *) echo 37 ;; esac; }
click_tool() { click_in "$(tool_x "$1")" "$(tool_y "$1")"; }

# The search box Combo1.
COMBO_X=100
COMBO_Y=84

# search_for KEY: types KEY into the emptied search box.
search_for() {
    click_in "$COMBO_X" "$COMBO_Y"
    key ctrl+a BackSpace
    type_text "$1"
    settle
}

# The all-items view: the header's middle and the middle of row K.
HEADER_Y=106
view_row_y() { echo $((122 + 14 * $1)); }

# A popup (menu) of the program is shown: a visible window of the program other than the main
# window and other than $1.
popup_shown() {
    [[ -n "$(xdotool search --all --onlyvisible --pid "$APP_PID" --name '' 2>/dev/null | grep -vx "$WID" | grep -vx "${1:-none}")" ]]
}

# pixel_in X Y: "R G B" of the screen at client coordinates (X, Y).
pixel_in() {
    client_geometry || return 1
    timeout 10 import -window root -crop "1x1+$((X + $1))+$((Y + $2))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n 1
}

# highlighted_in X Y: the pixel at client (X, Y) has the selection's colour (blue).
highlighted_in() {
    local rgb
    rgb=($(pixel_in "$1" "$2"))
    ((${#rgb[@]} == 3 && rgb[2] > 150 && rgb[0] < 120))
}

# menu_pick MENU_X ENTRY_Y: opens a menu of the menu bar with a click on its title at (MENU_X, 11),
# points at its entry at height ENTRY_Y until the entry is highlighted, and clicks it (a click
# that comes before the menu has taken the pointer is lost). Client coordinates; a menu opens
# with its left edge about 20 px left of its title's middle.
menu_pick() {
    click_in "$1" 11
    poll 30 popup_shown || { fail "the menu at x=$1 did not open"; return 1; }
    client_geometry
    move_pointer $((X + $1 + 30)) $((Y + $2))
    poll 30 highlighted_in $(($1 - 10)) "$2" || { fail "the menu entry at y=$2 was not highlighted"; return 1; }
    xdotool click 1
    clicked
}

# Menus of the menu bar and the heights of their entries.
MENU_FILE_X=30
MENU_DATA_X=85
menu_entry_y() { local y=(34 56 80 102 126 148 170 194); echo "${y[$1]}"; }
# File menu: 0 switch, 1 refresh, 2 folder pane, 3 browse, 4 edit, 5 information, 6 file manager, 7 end.
# Data menu: 0 descending, 1 ascending, 2 reload, 3 default folder, 4 delete this history,
# 5 delete all histories and settings, 6 help, 7 version.

# restore: brings the minimized main window back and makes it active.
restore() {
    xdotool windowactivate "$WID" 2>/dev/null
    poll 50 eval '! is_hidden'
    activate
}

# shift_return: Shift held down, Return pressed and released, Shift released, as a person does
# it. (xdotool's chord shift+Return releases Shift before Return, so Return's key-up arrives
# without Shift.)
shift_return() {
    xdotool keydown --clearmodifiers Shift_L
    xdotool key Return
    xdotool keyup Shift_L
}
