#!/usr/bin/env bash
# The part of test_portable.sh that runs inside the clean root, as the unprivileged user whose home
# holds the unpacked portable folder, with the harness lib.sh beside this script:
# - the executable and the xcb and ibus plugins resolve every library, Qt's, ICU's and the XCB
#   ones from the folder (the system has some of them too);
# - the first start shows the manual, and the running program has mapped Qt, its plugins and Qt's
#   Japanese translation from the folder, and no system copy of a library the folder has;
# - the next start opens staff.csv with a double click and copies a record with a click;
# - Korvanta.ini is written beside the executable, not in ~/.config/korvanta/, and the program
#   changes nothing else in the folder and writes nothing else in the home;
# - from a folder that cannot be written it starts with the folder's Korvanta.ini and keeps its
#   settings in ~/.config/korvanta/ instead.
#
# Usage: bash portable-driver.sh <Korvanta of the unpacked folder> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-150}
e2e_init portable "$@"

PROG=$(dirname "$EXE")
INI="$PROG/Korvanta.ini"
CONFIG_DIR="$HOME/.config/korvanta"
BIN="$WORK/bin"
RUNTIME="$WORK/runtime"
rm -rf -- "$BIN" "$RUNTIME"
mkdir -p "$BIN" "$RUNTIME" && chmod 700 "$RUNTIME"
log "program folder $PROG, as $(id -un)"

# shadowed LIBRARY...: the libraries (paths) outside the folder of which the folder has its own
# copy in lib/, by soname (libfoo.so.1.2.3 is libfoo.so.1): a system copy taken instead of the
# folder's. Prints them; false when there is one.
shadowed() {
    local path name bad=0
    for path in "$@"; do
        [[ "$path" == "$PROG"/* ]] && continue
        name=$(basename "$path" | sed -E 's/(\.so\.[0-9]+).*/\1/')
        [[ -e "$PROG/lib/$name" ]] || continue
        echo "  $name is taken from $path, not from the folder"
        bad=1
    done
    return $bad
}

# resolves FILE: ldd finds every library FILE needs, and takes Qt's, ICU's and the XCB ones from
# the folder. (For other libraries the copy ldd shows for a plugin alone may differ from the running
# program's: a system library in the plugin's closure, freetype, may bring the system's copy of
# one that only the folder's QtNetwork needs, brotli. The running program's own map is checked
# below.)
resolves() {
    local out qt
    out=$(ldd "$1" 2>&1) || { echo "$out"; return 1; }
    if grep -q 'not found' <<<"$out"; then
        grep 'not found' <<<"$out"
        return 1
    fi
    qt=$(awk '$1 ~ /^lib(Qt6|icu|xcb-|xkbcommon)/ && $2 == "=>" { print $3 }' <<<"$out")
    [[ -n "$qt" ]] || { echo "  no Qt library among its needs"; return 1; }
    # shellcheck disable=SC2086 # one path a word
    shadowed $qt
}

check "the folder holds no installed-copy marker" eval '[[ -z "$(find "$PROG" -name installed-copy)" ]]'
check "the folder holds no Korvanta.ini yet" test ! -e "$INI"
check "the executable resolves its libraries" resolves "$PROG/Korvanta"
check "the xcb plugin resolves its libraries" resolves "$PROG/plugins/platforms/libqxcb.so"
check "the ibus plugin resolves its libraries" resolves "$PROG/plugins/platforminputcontexts/libibusplatforminputcontextplugin.so"

# Everything in the folder but the folder itself (its time changes with Korvanta.ini) and that file.
# What the runs write in the home besides the folder and this test's work folder: nothing.
HOME_MARK="$WORK/home-mark"
touch "$HOME_MARK"
written_in_home() {
    local paths
    paths=$(find "$HOME" -newer "$HOME_MARK" ! -type d ! -path "$PROG/*" ! -path "$WORK/*" 2>/dev/null)
    [[ -z "$paths" ]] && return 0
    echo "$paths" | sed 's/^/  written: /'
    return 1
}

listing() { (cd "$PROG" && find . -mindepth 1 ! -name Korvanta.ini -printf '%p %s %T@ %m\n' | sort); }
FOLDER_BEFORE=$(listing)

# --- first start: the manual, then the main window
app_launch
MANUAL=$(wait_for_window '説明書' 200) || abort "the first start showed no manual"
pass "the first start shows the manual"

# What the running program has mapped: Qt and its plugins from the folder, Qt's Japanese texts
# from the folder's translations, and no system copy of a library the folder has.
MAPS=$(awk '$6 ~ /^\// { print $6 }' "/proc/$APP_PID/maps" | sort -u)
check "Qt's libraries are the folder's" grep -qx "$PROG/lib/libQt6Widgets.so.6" <<<"$MAPS"
check "the xcb plugin is the folder's" grep -qx "$PROG/plugins/platforms/libqxcb.so" <<<"$MAPS"
check "Qt's Japanese translation is the folder's" grep -qx "$PROG/translations/qtbase_ja.qm" <<<"$MAPS"
# ICU's converters and their data, which Qt's Shift_JIS converter needs (the program does not start
# without it).
check "ICU's data is the folder's" grep -q "^$PROG/lib/libicudata\.so\." <<<"$MAPS"
# shellcheck disable=SC2046 # one path a word
check "no system copy of a library the folder has" shadowed $(grep '\.so' <<<"$MAPS")

activate "$MANUAL"
close_window "$MANUAL"
wait_main 20 || abort "no main window after the manual"
app_close || abort "the first run did not end"
check "Korvanta.ini is beside the executable" test -f "$INI"
check "the first start's folder is the program folder ($(ini_get Tool FilePath))" \
    eval '[[ "$(ini_get Tool FilePath)" == "$PROG" || "$(ini_get Tool FilePath)" == "$PROG/" ]]'
check "no settings in ~/.config/korvanta/" test ! -e "$CONFIG_DIR/Korvanta.ini"

# The folder pane off, as a user may choose, so that the rows lie where the harness knows them.
sed -i 's/^Dir1V=True/Dir1V=False/' "$INI"

# --- second start: no manual; open staff.csv (the fifth file) and copy its third record
set_clipboard "none" || fail "xclip could not set the clipboard"
app_start 20 || abort "the second start showed no main window"
check "the second start shows no manual" eval '[[ -z "$(other_window "説明書")" ]]'
open_and_copy 4 2
# The copied record begins with the third record's first item (氏名), decoded from code page 932.
THIRD_NAME=$(iconv -f CP932 -t UTF-8 "$PROG/staff.csv" | sed -n 4p | cut -d, -f1)
check "the third record of staff.csv was copied ('$ROW_TEXT')" \
    eval '[[ -n "$THIRD_NAME" && "$ROW_TEXT" == "$THIRD_NAME"* ]]'
app_close || abort "the second run did not end"

check "Korvanta.ini is still beside the executable" test -f "$INI"
check "the selected record of staff.csv is stored" test "$(ini_get staff.csv DataListIndex)" = 2
check "no settings in ~/.config/korvanta/ after the second run" test ! -e "$CONFIG_DIR/Korvanta.ini"
check "the settings file belongs to $(id -un)" test "$(stat -c %U "$INI")" = "$(id -un)"
check "nothing else in the folder changed" test "$(listing)" = "$FOLDER_BEFORE"
check "nothing written in the home outside the folder" written_in_home

# --- a folder that cannot be written (unpacked by someone else, say): its own Korvanta.ini is
# read, so the start is no first start; what closing writes goes to ~/.config/korvanta/, and the
# folder's Korvanta.ini stays as it is.
INI_BEFORE=$(sha256sum "$INI")
chmod a-w "$PROG"
app_launch
wait_main 20 || abort "no main window from a read-only folder"
check "a start from a read-only folder with its Korvanta.ini shows no manual" \
    eval '[[ -z "$(other_window "説明書")" ]]'
app_close || abort "the run from a read-only folder did not end"
chmod u+w "$PROG"
check "a read-only folder's settings go to ~/.config/korvanta/" test -f "$CONFIG_DIR/Korvanta.ini"
check "the copy keeps the folder's stored record of staff.csv" \
    test "$(INI="$CONFIG_DIR/Korvanta.ini" ini_get staff.csv DataListIndex)" = 2
check "the read-only folder's Korvanta.ini is untouched" test "$(sha256sum "$INI")" = "$INI_BEFORE"
e2e_finish
