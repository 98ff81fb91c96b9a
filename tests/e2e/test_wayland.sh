#!/usr/bin/env bash
# Korvanta in a Wayland session, under a real compositor: weston's headless backend with
# XWayland.
# - With WAYLAND_DISPLAY, DISPLAY (XWayland's) and XDG_SESSION_TYPE=wayland set and no platform
#   chosen, the main window is an X window on XWayland's display, SIGTERM ends the program
#   cleanly, and the stored position comes back unchanged.
# - With QT_QPA_PLATFORM=wayland it runs as a native Wayland client: no X window, it keeps
#   running, and SIGTERM ends it cleanly with its settings written; the always-on-top choice and
#   the stored position it could not use are kept in the settings file.
#
# Usage: bash test_wayland.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init wayland "$@"
e2e_program_folder

command -v weston >/dev/null 2>&1 || abort "weston is not installed"
command -v Xwayland >/dev/null 2>&1 || abort "Xwayland is not installed"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
    abort "Qt's Wayland platform plugin (qt6-wayland) is not installed"

write_goods 1
TEMAE=True POS_TOP=1500 POS_LEFT=2250 normal_tool_section | write_ini

# --- the compositor, with a runtime folder of its own
WL_RUNTIME="$WORK/wl-runtime"
rm -rf -- "$WL_RUNTIME"
mkdir -p "$WL_RUNTIME" && chmod 700 "$WL_RUNTIME"
WL_SOCKET="wayland-korvanta-$$"
XDG_RUNTIME_DIR="$WL_RUNTIME" weston --backend=headless-backend.so --xwayland --idle-time=0 \
    --socket="$WL_SOCKET" --log="$WORK/weston.log" >"$WORK/weston-out.log" 2>&1 &
E2E_PIDS+=($!)
xwayland_display() { sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log" 2>/dev/null | head -n 1; }
poll 100 eval '[[ -S "$WL_RUNTIME/$WL_SOCKET" && -n "$(xwayland_display)" ]]' ||
    abort "weston did not start: $(tail -n 5 "$WORK/weston.log" 2>/dev/null)"
XWAYLAND=$(xwayland_display)
log "weston on $WL_SOCKET, XWayland on $XWAYLAND"

# The session as a Wayland desktop gives it; the X server of the harness is not used.
export DISPLAY=$XWAYLAND
unset QT_QPA_PLATFORM
run_in_session() { # [VAR=value...]: starts Korvanta in $PROG in the Wayland session
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$PROG" && exec env XDG_RUNTIME_DIR="$WL_RUNTIME" WAYLAND_DISPLAY="$WL_SOCKET" \
        XDG_SESSION_TYPE=wayland DISPLAY="$XWAYLAND" QT_DEBUG_PLUGINS=1 "$@" ./Korvanta \
        ${KORVANTA_ARGS:-}) >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
}
# plugin_loaded NAME: Qt loaded the platform plugin libNAME.so (QT_DEBUG_PLUGINS output).
plugin_loaded() { grep -q "platforms/lib$1.so\" loaded library" "$APP_LOG"; }
x_window() { xdotool search --all --pid "$APP_PID" --name '^Korvanta$' 2>/dev/null | head -n 1; }

# --- no platform chosen: XWayland (XWayland starts on the first X client, so allow for it)
run_in_session
poll 300 eval '[[ -n "$(x_window)" ]]'
WID=$(x_window)
check "with no platform chosen, the main window is an X window on XWayland's display $XWAYLAND" test -n "$WID"
if [[ -n "$WID" ]]; then
    check "the X window is mapped" poll 50 eval 'xwininfo -id "$WID" | grep -q "IsViewable"'
    check "the window carries the application id's class" \
        eval 'xprop -id "$WID" WM_CLASS | grep -qi korvanta'
fi
check "the program runs" app_alive
check "Qt loaded its X11 platform plugin" plugin_loaded qxcb
app_term
check "SIGTERM ended the XWayland copy" test -z "$APP_PID"
# weston frames X windows with a shadow around the visible edge; the window stays where it was
# placed, so the position it was given is what it stores, not one the shadow's width away.
check "the XWayland copy stores the position it was placed at ($(ini_get Position Top), $(ini_get Position Left))" \
    test "$(ini_get Position Top),$(ini_get Position Left)" = "1500,2250"

# --- the user's choice: native Wayland
# A key that closing writes is taken out, to see it written again.
sed -i '/^WebJyunkai=/d' "$INI"
run_in_session QT_QPA_PLATFORM=wayland
poll 100 plugin_loaded qwayland-generic
sleep 2
check "with QT_QPA_PLATFORM=wayland the program runs" app_alive
check "Qt did not load its X11 platform plugin" eval '! plugin_loaded qxcb'
check "Qt loaded its Wayland platform plugin" plugin_loaded qwayland-generic
check "with QT_QPA_PLATFORM=wayland no X window is made" test -z "$(x_window)"
kill -TERM "$APP_PID"
check "SIGTERM ends the native Wayland copy within 10 s" wait_gone "$APP_PID" 100
wait "$APP_PID" 2>/dev/null
STATUS=$?
check "it ended with status 0 (got $STATUS)" test "$STATUS" -eq 0
APP_PID=""
check "closing wrote the settings file ($(ini_get Tool WebJyunkai))" test "$(ini_get Tool WebJyunkai)" = True
check "always on top, unavailable there, is kept as stored ($(ini_get Tool Temae))" test "$(ini_get Tool Temae)" = True
check "the stored position is kept ($(ini_get Position Top), $(ini_get Position Left))" \
    test "$(ini_get Position Top),$(ini_get Position Left)" = "1500,2250"
check "the stored size is kept ($(ini_get Position Width))" test "$(ini_get Position Width)" = 4500

# --- -platform on the command line wins too
KORVANTA_ARGS="-platform wayland" run_in_session
poll 100 plugin_loaded qwayland-generic
sleep 2
check "with -platform wayland the program runs natively" plugin_loaded qwayland-generic
check "with -platform wayland no X window is made" test -z "$(x_window)"
app_term
e2e_finish
