#!/usr/bin/env bash
# The window's geometry from and to the settings file under a window manager:
# - a settings file without [Position] keys, and one with absurd sizes, still give a window that
#   is shown, lies on the screen and is big enough for its menu bar and tool bar, and the start
#   does not take long; closing then stores sane values;
# - with "always on top" on, five starts and closes without touching the window give the same
#   frame geometry and the same stored values every time.
#
# Usage: bash test_window_geometry.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init window-geometry "$@"
e2e_program_folder

write_goods 1

# The smallest client area that holds the menu bar and the tool bar (2800 twips wide; menu bar
# and tool bar about 50 px high).
MIN_W=180
MIN_H=48
SCREEN_TWIPS_W=$((E2E_SCREEN_W * 15))
SCREEN_TWIPS_H=$((E2E_SCREEN_H * 15))

# The main window is mapped, lies wholly on the screen and is big enough.
window_usable() {
    local g
    g=($(frame_geometry)) || return 1
    client_geometry || return 1
    window_shown &&
        ((g[0] >= 0 && g[1] >= 0 && g[0] + g[2] <= E2E_SCREEN_W && g[1] + g[3] <= E2E_SCREEN_H)) &&
        ((WIDTH >= MIN_W && HEIGHT >= MIN_H))
}

# A stored [Position] value is an integer within the screen's size in twips.
sane_position_value() {
    local v
    v=$(ini_get Position "$1") || return 1
    [[ "$v" =~ ^-?[0-9]{1,6}$ ]] || return 1
    local lim=$SCREEN_TWIPS_W
    [[ $1 == Top || $1 == Height ]] && lim=$SCREEN_TWIPS_H
    ((v >= -lim && v <= lim))
}

stored_position() {
    echo "Top=$(ini_get Position Top) Left=$(ini_get Position Left) Height=$(ini_get Position Height) Width=$(ini_get Position Width)"
}

# starts_usable WHAT: a start with the settings file as it is gives a usable window; closing
# stores sane values.
starts_usable() {
    local what=$1
    if ! app_start 15; then
        fail "$what: no window within 15 s"
        stop_pid "$APP_PID"
        APP_PID=""
        return
    fi
    poll 20 window_usable
    check "$what: the window is shown on the screen, at least ${MIN_W}x${MIN_H} (frame $(frame_geometry), client ${WIDTH}x${HEIGHT})" window_usable
    app_close || return
    local k
    for k in Top Left Height Width; do
        check "$what: after closing, [Position] $k is a sane value ($(ini_get Position $k))" sane_position_value "$k"
    done
}

# --- no [Position] section at all
normal_tool_section | sed '/^\[Position\]/,$d' | write_ini
starts_usable "no [Position] keys"

# --- [Position] keys with empty values and a window as small as 1x1
normal_tool_section | sed '/^\[Position\]/,$d' | { cat; printf '%s\n' '[Position]' 'Top=' 'Left=' 'Height=15' 'Width=15'; } | write_ini
starts_usable "a 1x1 window in [Position]"

# --- absurd sizes
normal_tool_section | sed '/^\[Position\]/,$d' |
    { cat; printf '%s\n' '[Position]' 'Top=1e300' 'Left=-99999999999' 'Height=2147483647' 'Width=99999999999' \
        'Dir1Height=1350' 'ViewFormHight=6000' 'ViewFormWidth=9000'; } | write_ini
starts_usable "huge sizes in [Position]"

# --- five starts and closes with always on top: nothing moves
TEMAE=True POS_TOP=1500 POS_LEFT=1500 normal_tool_section | write_ini
first_frame=""
first_stored=""
for run in 1 2 3 4 5; do
    app_start 15 || abort "always on top, start $run: no window"
    poll 20 window_usable
    frame=$(frame_geometry)
    app_close || abort "always on top, start $run: the program did not close"
    stored=$(stored_position)
    if [[ $run == 1 ]]; then
        first_frame=$frame
        first_stored=$stored
        log "always on top, start 1: frame $frame, stored $stored"
        continue
    fi
    check "always on top, start $run: the frame stays at $first_frame (now $frame)" test "$frame" = "$first_frame"
    check "always on top, start $run: the stored position stays '$first_stored' (now '$stored')" test "$stored" = "$first_stored"
done
e2e_finish
