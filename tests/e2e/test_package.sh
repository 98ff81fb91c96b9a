#!/usr/bin/env bash
# The Debian package, end to end: it is built from the build folder with CPack, checked with
# lintian (no error), appstreamcli and desktop-file-validate, its contents and dependencies are
# looked at, and it is unpacked and run as an unprivileged user with a home of its own under Xvfb:
# the first start shows the manual and creates ~/.config/korvanta/Korvanta.ini; the next start
# shows no manual and restores the folder (the installed example files), and the start after that
# the selected file and its selected row. The unpacked program folder is never written.
#
# Usage: bash test_package.sh <Korvanta executable> <work dir>
# (KORVANTA_BUILD_DIR names the build folder; CTest sets it, with KORVANTA_VERSION.)

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-280}
e2e_init package "$@"

BUILD_DIR=${KORVANTA_BUILD_DIR:-$(cd "$(dirname "$EXE")/.." && pwd)}
for tool in cpack dpkg-deb lintian appstreamcli desktop-file-validate setpriv; do
    command -v "$tool" >/dev/null 2>&1 || abort "$tool is not installed"
done

# --- build the package into the work folder
PKG_DIR="$WORK/pkg"
rm -rf -- "$PKG_DIR"
(cd "$BUILD_DIR" && cpack -G DEB -B "$PKG_DIR") >"$WORK/cpack.log" 2>&1 ||
    abort "cpack failed: $(tail -n 5 "$WORK/cpack.log")"
ARCH=$(dpkg --print-architecture)
VERSION=${KORVANTA_VERSION:-$(dpkg-deb -f "$PKG_DIR"/korvanta_*.deb Version 2>/dev/null)}
DEB="$PKG_DIR/korvanta_${VERSION}_${ARCH}.deb"
check "the package is korvanta_${VERSION}_${ARCH}.deb" test -f "$DEB"
[[ -f "$DEB" ]] || e2e_finish
log "package: $(stat -c %s "$DEB") bytes"

# --- lintian: no error (lintian refuses to run some checks as root without being told)
lintian --allow-root --no-tag-display-limit "$DEB" >"$WORK/lintian.log" 2>&1
check "lintian reports no error ($(grep -c '^E:' "$WORK/lintian.log") errors)" \
    eval '! grep -q "^E:" "$WORK/lintian.log"'
grep -E '^[EW]:' "$WORK/lintian.log" | sed 's/^/lintian: /'

# --- what it holds
CONTENTS=$(dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/korvanta /usr/share/applications/org.korvanta.Korvanta.desktop \
    /usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/org.korvanta.Korvanta.png \
    /usr/share/icons/hicolor/scalable/apps/org.korvanta.Korvanta.svg \
    /usr/share/man/man1/korvanta.1.gz /usr/share/doc/korvanta/copyright \
    /usr/share/doc/korvanta/changelog.gz /usr/share/korvanta/installed-copy \
    /usr/share/korvanta/examples/staff.csv; do
    check "the package holds $path" grep -qx "$path" <<<"$CONTENTS"
done
check "nothing outside /usr" eval '! grep -v "^/usr/\|^/$" <<<"$CONTENTS" | grep -q .'

DEPENDS=$(dpkg-deb -f "$DEB" Depends)
RECOMMENDS=$(dpkg-deb -f "$DEB" Recommends)
for dep in libqt6widgets6 libqt6core6 libicu qt6-qpa-plugins; do
    check "Depends names $dep" grep -q "$dep" <<<"$DEPENDS"
done
for dep in fonts-noto-cjk qt6-translations-l10n xdg-utils; do
    check "Recommends names $dep" grep -q "$dep" <<<"$RECOMMENDS"
done
# Every dependency is satisfied on this machine (one alternative of each is installed).
deps_installed() {
    local group alt ok
    IFS=',' read -ra groups <<<"$DEPENDS"
    for group in "${groups[@]}"; do
        ok=""
        IFS='|' read -ra alts <<<"$group"
        for alt in "${alts[@]}"; do
            alt=$(sed 's/(.*)//; s/ //g' <<<"$alt")
            dpkg-query -W -f='${Status}' "$alt" 2>/dev/null | grep -q 'install ok installed' && ok=1
        done
        [[ -n "$ok" ]] || { echo "not installed: $group"; return 1; }
    done
}
check "every dependency is installed here" deps_installed

# --- unpack it into a root of its own, readable by everyone
ROOT=$(mktemp -d /tmp/korvanta-package-root.XXXXXX)
HOME_DIR=$(mktemp -d /tmp/korvanta-package-home.XXXXXX)
package_cleanup() { e2e_cleanup; rm -rf -- "$ROOT" "$HOME_DIR"; }
trap package_cleanup EXIT
chmod 755 "$ROOT"
dpkg-deb -x "$DEB" "$ROOT" || abort "dpkg-deb -x failed"

check "the metainfo validates" appstreamcli validate --no-net \
    "$ROOT/usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml"
check "the desktop entry validates" desktop-file-validate \
    "$ROOT/usr/share/applications/org.korvanta.Korvanta.desktop"
check "the desktop entry starts korvanta" \
    grep -qx 'Exec=korvanta %f' "$ROOT/usr/share/applications/org.korvanta.Korvanta.desktop"
check "the man page reads" eval 'zcat "$ROOT/usr/share/man/man1/korvanta.1.gz" | grep -q "^\.TH KORVANTA 1"'

listing() { (cd "$ROOT" && find . -printf '%p %s %T@ %m %u\n' | sort); }
ROOT_BEFORE=$(listing)

# --- run it as an unprivileged user with a home and a runtime folder of its own
if [[ $(id -u) -eq 0 ]]; then
    RUN_USER=nobody
    RUN_GROUP=$(id -gn nobody 2>/dev/null || echo nogroup)
    AS_USER=(setpriv --reuid "$RUN_USER" --regid "$RUN_GROUP" --clear-groups --)
else
    RUN_USER=$(id -un)
    AS_USER=()
fi
RUNTIME="$HOME_DIR/runtime"
mkdir -p "$RUNTIME"
chmod 700 "$RUNTIME"
chmod 755 "$HOME_DIR"
[[ $(id -u) -eq 0 ]] && chown -R "$RUN_USER:$RUN_GROUP" "$HOME_DIR"
CONFIG_INI="$HOME_DIR/.config/korvanta/Korvanta.ini"
EXAMPLES="$ROOT/usr/share/korvanta/examples"

run_installed() {
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$HOME_DIR" && exec "${AS_USER[@]}" env -i DISPLAY="$DISPLAY" HOME="$HOME_DIR" \
        XDG_RUNTIME_DIR="$RUNTIME" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 \
        "$ROOT/usr/bin/korvanta") >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
}

# First start: the manual, then the main window; closing writes the settings file.
run_installed
MANUAL=$(wait_for_window '説明書' 200) || abort "the first start showed no manual"
pass "the first start shows the manual"
check "the program runs as $RUN_USER" test "$(ps -o user= -p "$APP_PID" | tr -d ' ')" = "$RUN_USER"
activate "$MANUAL"
close_window "$MANUAL"
wait_main 20 || abort "no main window after the manual"
check "the settings file exists in ~/.config/korvanta/" test -f "$CONFIG_INI"
INI=$CONFIG_INI
app_close || abort "the first run did not end"
check "the first start's folder is the installed examples ($(ini_get Tool FilePath))" \
    test "$(ini_get Tool FilePath)" = "$EXAMPLES"

# The folder pane off, as a user may choose, so that the rows lie where the harness knows them.
sed -i 's/^Dir1V=True/Dir1V=False/' "$CONFIG_INI"

# Second start: no manual; open staff.csv (the fifth file) and pick its third row.
set_clipboard "none" || fail "xclip could not set the clipboard"
run_installed
wait_main 20 || abort "the second start showed no main window"
check "the second start shows no manual" eval '[[ -z "$(other_window "説明書")" ]]'
double_click_in "$ROW_X" "$(row_y 4)"
settle
click_in "$ROW_X" "$(row_y 2)"
poll 50 eval '[[ "$(clipboard)" != none && -n "$(clipboard)" ]]'
ROW_TEXT=$(clipboard)
check "a row of staff.csv was copied ('$ROW_TEXT')" test "$ROW_TEXT" != none
app_close || abort "the second run did not end"
check "the folder is stored ($(ini_get Tool FilePath))" test "$(ini_get Tool FilePath)" = "$EXAMPLES"
check "the selected row of staff.csv is stored" test "$(ini_get staff.csv DataListIndex)" = 2

# Third start: the file is selected again, F2 opens it with its row, which is copied.
set_clipboard "none" || fail "xclip could not set the clipboard"
run_installed
wait_main 20 || abort "the third start showed no main window"
key F2
wait_for_clipboard "$ROW_TEXT" "the third start restores staff.csv and its row"
app_close

check "the settings file belongs to $RUN_USER" test "$(stat -c %U "$CONFIG_INI")" = "$RUN_USER"
check "the unpacked program folder is untouched" test "$(listing)" = "$ROOT_BEFORE"
check "no settings file in the program folder" eval '! find "$ROOT" -iname Korvanta.ini | grep -q .'
e2e_finish
