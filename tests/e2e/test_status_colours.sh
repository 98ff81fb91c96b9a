#!/usr/bin/env bash
# The status label's colour tells whether copying is on, readably on any desktop palette:
# - under qt6ct's dark scheme (darker.conf: white text on a ground of (34, 32, 32)) the label's
#   text is the palette's text colour while copying is on and a blue of at least 4.5:1 against
#   its ground while it is off ("ｸﾘｯﾌﾟﾎﾞｰﾄﾞに、ｺﾋﾟｰしない"), measured on the screen's pixels in
#   three states: on at start-up, off, on again;
# - under a light scheme whose text is dark grey, the text is exactly black (0, 0, 0) while copying
#   is on, from start-up on, and exactly blue (0, 0, 255) while it is off.
# The clipboard follows the option in both: a click on a row copies nothing while the label is
# blue.
# The label's screenshots are kept in the work folder (label-*.png).
#
# Usage: bash test_status_colours.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init status-colours "$@"
e2e_program_folder
command -v qt6ct >/dev/null 2>&1 || abort "qt6ct is not installed (scripts/install-deps.sh)"
DARKER=/usr/share/qt6ct/colors/darker.conf
[[ -f "$DARKER" ]] || DARKER=$(dpkg -L qt6ct 2>/dev/null | grep '/darker\.conf$' | head -n 1)
[[ -f "$DARKER" ]] || abort "qt6ct's darker.conf colour scheme was not found"

write_goods
normal_ini goods.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

# use_scheme FILE: Qt programs started from here take their palette from the qt6ct colour scheme
# FILE, through a qt6ct configuration of their own.
use_scheme() {
    export XDG_CONFIG_HOME="$WORK/xdg"
    export QT_QPA_PLATFORMTHEME=qt6ct
    rm -rf -- "$XDG_CONFIG_HOME"
    mkdir -p "$XDG_CONFIG_HOME/qt6ct"
    printf '%s\n' '[Appearance]' "color_scheme_path=$1" custom_palette=true style=Fusion \
        >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
}

# The status label Label1 lies at 100, 500 twips (6, 33 pixels) in the client area below the menu
# bar, and the search box covers it from 750 twips (50 pixels) down: its line of text shows
# between. The client area starts where the first etched line is drawn, the first row below the
# menu bar (whose height follows the font) with another colour than the menu bar's.
LABEL_X=8
LABEL_W=170
LABEL_H=15
canvas_top() {
    client_geometry || return 1
    timeout 20 import -window root -crop "1x100+$((X + WIDTH - 20))+$Y" -depth 8 txt:- 2>/dev/null |
        sed -n 's/^[0-9]*,\([0-9]*\): *(\([0-9,]*\)).*/\1 \2/p' |
        awk 'NR == 1 { first = $2 } $2 != first { print $1 + 1; found = 1; exit } END { exit !found }'
}

# label_colours NAME: reads the status label's pixels (and keeps them as label-NAME.png): GROUND is
# its most frequent colour, TEXT the colour of at least 3 pixels that stands out most from it,
# CONTRAST their contrast ratio (WCAG 2: relative luminances L1 > L2, (L1 + 0.05) / (L2 + 0.05)).
label_colours() {
    local top crop result
    top=$(canvas_top) || return 1
    client_geometry || return 1
    crop="${LABEL_W}x${LABEL_H}+$((X + LABEL_X))+$((Y + top + 34))"
    timeout 20 import -window root -crop "$crop" "$WORK/label-$1.png" 2>/dev/null
    result=$(timeout 20 import -window root -crop "$crop" -depth 8 txt:- 2>/dev/null |
        sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' |
        awk '
            function lin(c) { c = c / 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
            function lum(rgb,  p) { split(rgb, p, " "); return 0.2126 * lin(p[1]) + 0.7152 * lin(p[2]) + 0.0722 * lin(p[3]) }
            function ratio(a, b) { return a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05) }
            { n[$0]++ }
            END {
                for (c in n) if (n[c] > most) { most = n[c]; ground = c }
                lg = lum(ground)
                for (c in n) if (n[c] >= 3 && ratio(lum(c), lg) > best) { best = ratio(lum(c), lg); text = c }
                printf "%s|%s|%.2f\n", ground, text, best
            }')
    IFS='|' read -r GROUND TEXT CONTRAST <<<"$result"
    log "label ($1): text ($TEXT) on ($GROUND), contrast $CONTRAST:1"
    [[ -n "$TEXT" ]]
}

# text_is COLOUR: the label's text colour is COLOUR ("R G B") exactly.
text_is() { [[ "$TEXT" == "$1" ]]; }
# The text is a blue: its blue part well above its red and green.
text_is_blue() {
    local c
    read -ra c <<<"$TEXT"
    ((${#c[@]} == 3 && c[2] > c[0] + 60 && c[2] > c[1] + 60))
}
readable() { awk -v c="$CONTRAST" 'BEGIN { exit !(c >= 4.5) }'; }

# toggle_copying: the tool menu (tool button 3), its first entry "ｸﾘｯﾌﾟﾎﾞｰﾄﾞに、ｺﾋﾟｰしない".
toggle_copying() {
    click_tool 3
    poll 30 popup_shown || { fail "the tool menu did not open"; return 1; }
    key Down Return
    poll 30 eval '! popup_shown'
    settle
}

# --- dark: qt6ct's darker.conf
use_scheme "$DARKER"
set_clipboard none || fail "xclip could not set the clipboard"
app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "goods.csv opened"
label_colours dark-on || fail "no text found in the status label"
check "dark, copying on: the label's text is the palette's text colour, white ($TEXT)" text_is "255 255 255"
check "dark, copying on: the ground is the palette's (34, 32, 32) ($GROUND)" test "$GROUND" = "34 32 32"
check "dark, copying on: contrast $CONTRAST:1 is at least 4.5:1" readable

toggle_copying
set_clipboard none || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(row_y 0)"
clipboard_stays none "dark, copying off: a click on a row copies nothing"
screenshot "$WORK/dark-off.png"
label_colours dark-off || fail "no text found in the status label"
check "dark, copying off: the label's text is a blue ($TEXT)" text_is_blue
check "dark, copying off: contrast $CONTRAST:1 is at least 4.5:1" readable

toggle_copying
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "dark, copying on again: a click on the row copies"
label_colours dark-on-again || fail "no text found in the status label"
check "dark, copying on again: the label's text is white again ($TEXT)" text_is "255 255 255"
check "dark, copying on again: contrast $CONTRAST:1 is at least 4.5:1" readable
screenshot "$WORK/dark.png"

# The manual window (F1) on the dark scheme takes the palette's ground, on which the palette's
# text colour and the lightened link colours read; kept as dark-manual.png.
activate
key F1
MANUAL=$(wait_for_window 説明書 100)
if [[ -n "$MANUAL" ]]; then
    settle
    screenshot "$WORK/dark-manual.png"
    client_geometry "$MANUAL"
    MANUAL_GROUND=$(timeout 10 import -window root -crop "1x1+$((X + 3))+$((Y + 3))" -depth 8 txt:- 2>/dev/null |
        sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n 1)
    check "dark: the manual window's ground is the palette's (34, 32, 32) ($MANUAL_GROUND)" \
        test "$MANUAL_GROUND" = "34 32 32"
    close_window "$MANUAL"
    poll 50 eval '[[ -z "$(other_window 説明書)" ]]'
else
    fail "F1 showed no manual window"
fi
app_close || e2e_finish

# --- light: a light scheme whose text is dark grey rather than black; the label keeps the
# design's exact black and blue on it, from start-up on.
sed 's/^\(active_colors\|inactive_colors\)=#ff000000/\1=#ff323232/' \
    "$(dirname "$DARKER")/simple.conf" >"$WORK/greytext.conf"
grep -q '^active_colors=#ff323232' "$WORK/greytext.conf" || abort "could not make the grey-text scheme"
use_scheme "$WORK/greytext.conf"
set_clipboard none || fail "xclip could not set the clipboard"
app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "light: goods.csv opened"
label_colours light-on || fail "no text found in the status label"
check "light, copying on at start-up: the label's text is black ($TEXT)" text_is "0 0 0"
toggle_copying
set_clipboard none || fail "xclip could not set the clipboard"
click_in "$ROW_X" "$(row_y 0)"
clipboard_stays none "light, copying off: a click on a row copies nothing"
label_colours light-off || fail "no text found in the status label"
check "light, copying off: the label's text is blue (0, 0, 255) ($TEXT)" text_is "0 0 255"
toggle_copying
click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "light, copying on again: a click on the row copies"
label_colours light-on-again || fail "no text found in the status label"
check "light, copying on again: the label's text is black ($TEXT)" text_is "0 0 0"
screenshot "$WORK/light.png"
app_close || e2e_finish
e2e_finish
