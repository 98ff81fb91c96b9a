#!/usr/bin/env bash
# Takes the README's screenshots of a built Korvanta on a virtual X server:
#   docs/screenshot-fileview.png  the file view (folder pane and file list) on the example data
#   docs/screenshot-dataview.png  the data view of staff.csv after a double click on the file
#   docs/screenshot-manual.png    the manual window, opened with F1 from the data view
# Each picture is cropped to the window, frame included when a window manager (openbox) runs.
#
# Usage: scripts/screenshots.sh <Korvanta executable> [output folder]
# The output folder defaults to docs/ of this repository. Builds nothing: pass the executable of
# a finished build, e.g. `scripts/screenshots.sh build/bin/Korvanta`. Needs xvfb-run, xdotool,
# xwininfo and xprop (x11-utils) and ImageMagick (import, convert); openbox is used when
# installed. The program runs in a temporary program folder with a copy of the example data and a
# settings file for a normal start; nothing outside that folder and the output folder is written.

set -euo pipefail

usage="usage: scripts/screenshots.sh <Korvanta executable> [output folder]"
EXE=${1:?$usage}
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=${2:-$REPO/docs}

if [[ -z "${KORVANTA_SHOTS_INNER:-}" ]]; then
    [[ -x "$EXE" ]] || { echo "screenshots: not an executable: $EXE" >&2; exit 1; }
    for tool in xvfb-run xdotool xwininfo xprop import convert; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "screenshots: $tool is not installed" >&2
            exit 1
        fi
    done
    EXE=$(cd "$(dirname "$EXE")" && pwd)/$(basename "$EXE")
    mkdir -p "$OUT"
    OUT=$(cd "$OUT" && pwd)
    KORVANTA_SHOTS_INNER=1 exec timeout 180 xvfb-run -a -s "-screen 0 1280x900x24 -nolisten tcp" \
        bash "${BASH_SOURCE[0]}" "$EXE" "$OUT"
fi

# --- from here on we run on the virtual X server
WORK=$(mktemp -d "${TMPDIR:-/tmp}/korvanta-shots.XXXXXX")
RUNTIME="$WORK/runtime"
mkdir -p "$RUNTIME"
chmod 700 "$RUNTIME"
# The program folder has a fixed path, so that the folder pane looks the same at every run. A
# marker file tells that an existing folder of that name is a leftover of this script.
PROG_PARENT="${TMPDIR:-/tmp}/korvanta-screenshots"
PROG="$PROG_PARENT/Korvanta"
MARKER="$PROG_PARENT/.made-by-screenshots-sh"
if [[ -e "$PROG_PARENT" && ! -f "$MARKER" ]]; then
    echo "screenshots: $PROG_PARENT exists and was not made by this script" >&2
    rm -rf -- "$WORK"
    exit 1
fi
rm -rf -- "$PROG_PARENT"
mkdir -p "$PROG"
touch "$MARKER"

APP_PID=""
WM_PID=""
cleanup() {
    [[ -n "$APP_PID" ]] && kill "$APP_PID" 2>/dev/null || true
    [[ -n "$WM_PID" ]] && kill "$WM_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf -- "$WORK" "$PROG_PARENT"
}
trap cleanup EXIT

log() { echo "screenshots: $*"; }
fail() { echo "screenshots: $*" >&2; exit 1; }

# The program folder: the executable with the example data beside it, as after an install.
cp "$EXE" "$PROG/Korvanta"
shopt -s nullglob
for f in "$REPO"/examples/*.{csv,CSV,txt,tsv}; do
    cp "$f" "$PROG/"
done
shopt -u nullglob
[[ -f "$PROG/staff.csv" ]] || fail "examples/staff.csv is missing"

# A settings file for a normal start (no manual window): folder pane open, staff.csv (the fifth
# of the files sorted by name) selected; staff.csv opens showing 氏名, copying メールアドレス, with
# its third record selected.
printf '%s\r\n' \
    '[Tool]' \
    'Dir1V=True' 'Temae=False' 'NoCopy=False' 'ScrollBerSetei=False' 'KensakuKaisi=False' \
    'PuHyoujiSet=False' 'SentakuDataKiroku=True' 'WebJyunkai=True' 'WebDblClickOpen=True' \
    "FilePath=$PROG" 'FileListIndex=4' \
    '[Position]' \
    'Top=600' 'Left=600' 'Height=7200' 'Width=4800' 'Dir1Height=1500' \
    'ViewFormHight=6000' 'ViewFormWidth=9000' \
    '[staff.csv]' \
    'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=6' 'DataListIndex=2' >"$PROG/Korvanta.ini"

export XDG_RUNTIME_DIR="$RUNTIME"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >"$WORK/wm.log" 2>&1 &
    WM_PID=$!
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
else
    log "openbox is not installed: the pictures show the window without a frame"
fi

(cd "$PROG" && exec ./Korvanta) >"$WORK/korvanta.log" 2>&1 &
APP_PID=$!

WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^Korvanta$' 2>/dev/null \
    | head -n 1 || true)
[[ -n "$WID" ]] || fail "the main window did not appear ($(cat "$WORK/korvanta.log"))"
xdotool windowactivate --sync "$WID" >/dev/null 2>&1 || true
sleep 1.5

# The window's client area (X, Y, WIDTH, HEIGHT) on the screen and its frame as the window manager
# drew it. xwininfo gives the client's own position (xdotool's is off by the frame under some
# window managers).
client_geometry() {
    local info
    info=$(xwininfo -id "$WID")
    X=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    Y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
    HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}
frame_extents() {
    local e
    e=$(xprop -id "$WID" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p' | tr -d ' ')
    if [[ -n "$e" ]]; then IFS=, read -r FL FR FT FB <<<"$e"; else FL=0 FR=0 FT=0 FB=0; fi
}

# Writes the window, frame included, to $1.
shoot_window() {
    client_geometry
    frame_extents
    local x=$((X - FL)) y=$((Y - FT)) w=$((WIDTH + FL + FR)) h=$((HEIGHT + FT + FB))
    ((x < 0)) && x=0
    ((y < 0)) && y=0
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$1"
}

# The middle of the lowest band of selected rows in the client area at column $1 (the file list
# lies below the folder pane, whose shown folder is selected too); "" when none is found.
selected_row_y() {
    local col=$1 shot="$WORK/client.png"
    client_geometry
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"
    convert "$shot" -crop "1x${HEIGHT}+${col}+0" +repage -depth 8 txt:- | awk -F'[(),: ]+' '
        /^[0-9]/ {
            y = $2; r = $3; g = $4; b = $5
            sel = (b > 120 && b - r > 60)
            if (sel) { if (start < 0) start = y; last = y }
            else if (start >= 0) {
                if (last - start >= 6) best = int((start + last) / 2)
                start = -1
            }
        }
        BEGIN { start = -1; best = "" }
        END { if (start >= 0 && last - start >= 6) best = int((start + last) / 2); print best }'
}

mkdir -p "$OUT"
shoot_window "$OUT/screenshot-fileview.png"
log "wrote $OUT/screenshot-fileview.png"

# Open staff.csv with a double click on its row.
ROW_Y=$(selected_row_y 40)
[[ -n "$ROW_Y" ]] || fail "could not find the selected file in the file list"
client_geometry
xdotool mousemove "$((X + 40))" "$((Y + ROW_Y))" click --repeat 2 --delay 100 1
sleep 2
# Move the pointer off the window so no hover picture shows.
xdotool mousemove 5 5
sleep 0.5
shoot_window "$OUT/screenshot-dataview.png"
log "wrote $OUT/screenshot-dataview.png"

# The manual window, opened with F1 over the data view.
MAIN_WID=$WID
xdotool windowactivate --sync "$MAIN_WID" >/dev/null 2>&1 || true
xdotool key F1
WID=$(timeout 10 xdotool search --sync --onlyvisible --name '^説明書$' 2>/dev/null | head -n 1 || true)
[[ -n "$WID" ]] || fail "the manual window did not appear"
sleep 1.5
shoot_window "$OUT/screenshot-manual.png"
log "wrote $OUT/screenshot-manual.png"
