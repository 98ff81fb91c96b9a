#!/usr/bin/env bash
# The portable folder, end to end, on a Debian with no Qt at all:
# - scripts/make-portable.sh (what `make portable` runs) makes the tarball from the build folder;
#   it has one top folder with the executable (RUNPATH $ORIGIN/lib), qt.conf, the xcb plugin,
#   Qt's Japanese translation, the example files and the licences, no installed-copy marker and no
#   excluded library, and every library a file of it needs is in it or on the exclude list;
# - a clean Debian 13 root is made from Debian's packages (an X server, a window manager, the
#   harness's tools, a Japanese font, and the system libraries the folder leaves to the desktop);
#   it holds no Qt package;
# - there the tarball is unpacked by an unprivileged user into their home, and
#   tests/e2e/portable-driver.sh runs the program from it under Xvfb as that user: first start
#   with the manual, a file opened and a record copied, Korvanta.ini beside the executable.
# The root is removed afterwards, however the test ends. Needs root (for the root) and the
# network (for Debian's packages); without root the test is skipped (exit 77).
#
# Usage: bash test_portable.sh <Korvanta executable> <work dir>
# (KORVANTA_BUILD_DIR names the Release build folder; CTest sets it.)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-560}
E2E_NO_X=1
e2e_init portable "$@"

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SOURCE=$(cd "$HERE/../.." && pwd)
BUILD_DIR=${KORVANTA_BUILD_DIR:-$(cd "$(dirname "$EXE")/.." && pwd)}
DEBIAN_ROOT="$SOURCE/scripts/debian-root.sh"
SUITE=trixie
RUN_USER=korvanta
RUN_UID=4242

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: [portable] making a Debian root needs root"
    exit 77
fi
for tool in mmdebstrap unshare objdump tar; do
    command -v "$tool" >/dev/null 2>&1 || abort "$tool is not installed (scripts/install-deps.sh)"
done
ROOT="$WORK/root"

remove_root() { bash "$DEBIAN_ROOT" remove "$ROOT" || echo "FAIL: [portable] could not remove $ROOT"; }
portable_cleanup() {
    remove_root
    e2e_cleanup
}
trap portable_cleanup EXIT
remove_root
rm -rf -- "$WORK/inside" "$WORK"/*.tar.gz "$WORK/unpacked" "$WORK/portable"

# --- the tarball, as `make portable` makes it
bash "$SOURCE/scripts/make-portable.sh" "$BUILD_DIR" "$WORK" >"$WORK/make-portable.log" 2>&1 ||
    abort "make-portable.sh failed: $(tail -n 5 "$WORK/make-portable.log")"
TARBALL=$(ls "$WORK"/korvanta-*-linux-"$(uname -m)".tar.gz 2>/dev/null | head -n 1)
[[ -f "$TARBALL" ]] || abort "no tarball korvanta-*-linux-$(uname -m).tar.gz in $WORK"
rm -rf -- "$WORK/portable" # the script's own copy of the folder: only the tarball counts
NAME=$(basename "$TARBALL" .tar.gz)
log "$NAME.tar.gz: $(stat -c %s "$TARBALL") bytes"
tail -n 1 "$WORK/make-portable.log"

# --- what it holds
LISTING=$(tar -tzvf "$TARBALL")
check "everything lies in the one top folder $NAME/" \
    eval '[[ -z "$(tar -tzf "$TARBALL" | grep -v "^$NAME/")" ]]'
check "every entry belongs to 0/0" test "$(awk '{ print $2 }' <<<"$LISTING" | sort -u)" = 0/0
check "every entry has the same time" test "$(awk '{ print $4, $5 }' <<<"$LISTING" | sort -u | wc -l)" = 1
mkdir -p "$WORK/unpacked"
tar -xzf "$TARBALL" -C "$WORK/unpacked" || abort "the tarball does not unpack"
TOP="$WORK/unpacked/$NAME"
for path in Korvanta qt.conf README LICENSE staff.csv products.CSV glossary.txt \
    lib/libQt6Core.so.6 lib/libQt6Widgets.so.6 lib/libxcb-icccm.so.4 lib/libxkbcommon-x11.so.0 \
    plugins/platforms/libqxcb.so translations/qtbase_ja.qm licenses/PACKAGES \
    licenses/common-licenses/LGPL-3; do
    check "the folder holds $path" test -e "$TOP/$path"
done
check "the folder holds Qt's copyright file" eval 'ls "$TOP"/licenses/libqt6core6*/copyright >/dev/null 2>&1'
check "the folder holds ICU's converters and data (the Shift_JIS converter needs them)" \
    eval 'ls "$TOP"/lib/libicuuc.so.* "$TOP"/lib/libicudata.so.* >/dev/null 2>&1'
check "the folder holds ICU's copyright file" eval 'ls "$TOP"/licenses/libicu*/copyright >/dev/null 2>&1'
check "no installed-copy marker, no share/ folder" \
    eval '[[ -z "$(find "$TOP" -name installed-copy)" && ! -e "$TOP/share" && ! -e "$WORK/unpacked/share" ]]'
check "no settings file in the tarball" eval '[[ -z "$(find "$TOP" -iname Korvanta.ini)" ]]'
check "the top folder holds no other *.txt or *.csv than the example files" \
    test "$(cd "$TOP" && ls | grep -i -E '\.(csv|txt|tsv)$' | sort | tr '\n' ' ')" = \
    "$(cd "$SOURCE/examples" && ls | grep -i -E '\.(csv|txt|tsv)$' | sort | tr '\n' ' ')"
runpath() { objdump -p "$1" | awk '$1 == "RUNPATH" { print $2 }'; }
check "the executable's RUNPATH is \$ORIGIN/lib" test "$(runpath "$TOP/Korvanta")" = '$ORIGIN/lib'
check "the xcb plugin's RUNPATH is \$ORIGIN/../../lib" \
    test "$(runpath "$TOP/plugins/platforms/libqxcb.so")" = '$ORIGIN/../../lib'
check "qt.conf points Qt at the folder's plugins and translations" \
    eval 'grep -qx "Plugins = plugins" "$TOP/qt.conf" && grep -qx "Translations = translations" "$TOP/qt.conf"'

source "$SOURCE/scripts/portable-exclude.sh"
load_portable_excludes "$SOURCE/packaging/portable-exclude"
# No excluded library in lib/ (the C runtime, libstdc++, X11, GL, fontconfig ...).
bundled_excluded() {
    local f bad=0
    for f in "$TOP"/lib/*; do
        excluded "$(basename "$f")" && { echo "  bundled, but excluded: $(basename "$f")"; bad=1; }
    done
    return $bad
}
check "lib/ holds no excluded library" bundled_excluded
# Every library that a file of the folder needs is in lib/ or excluded.
needs_met() {
    local f n bad=0
    for f in "$TOP/Korvanta" "$TOP"/lib/* "$TOP"/plugins/*/*; do
        while read -r n; do
            [[ -e "$TOP/lib/$n" ]] || excluded "$n" ||
                { echo "  $(basename "$f") needs $n: neither in lib/ nor excluded"; bad=1; }
        done < <(objdump -p "$f" | awk '$1 == "NEEDED" { print $2 }')
    done
    return $bad
}
check "every library a file of the folder needs is in lib/ or excluded" needs_met

# --- a clean Debian 13 without Qt. Besides the harness's tools and the font, the root gets the
# system libraries the folder leaves to the desktop that these tools do not bring: the EGL and
# OpenGL dispatch libraries (Qt's GUI library links them).
PACKAGES=(xvfb xauth openbox xdotool xclip x11-utils wmctrl imagemagick fonts-noto-cjk
    libegl1 libopengl0)
log "making a clean $SUITE root"
nice -n 10 bash "$DEBIAN_ROOT" make "$SUITE" "$ROOT" "${PACKAGES[@]}" >"$WORK/root.log" 2>&1 ||
    abort "could not make the $SUITE root: $(tail -n 5 "$WORK/root.log")"
log "root made"
in_root() { bash "$DEBIAN_ROOT" run "$ROOT" "$@"; }

ROOT_PACKAGES=$(in_root dpkg-query -W -f '${Package}\n') || abort "cannot run dpkg-query in the root"
[[ -n "$ROOT_PACKAGES" ]] || abort "the root lists no package"
QT_PACKAGES=$(grep -i qt <<<"$ROOT_PACKAGES")
check "the root has no Qt package${QT_PACKAGES:+ (it has: $(tr '\n' ' ' <<<"$QT_PACKAGES"))}" \
    test -z "$QT_PACKAGES"
check "the root has no libqt6 package" eval '! grep -qi "^libqt6" <<<"$QT_PACKAGES"'
check "the root has no Qt library file" \
    eval '[[ -z "$(find "$ROOT/usr" "$ROOT/opt" -name "libQt6*" 2>/dev/null | head -n 1)" ]]'

# An unprivileged user with a home; the tarball and the harness put into the root.
echo "$RUN_USER:x:$RUN_UID:$RUN_UID:Korvanta test:/home/$RUN_USER:/bin/bash" >>"$ROOT/etc/passwd"
echo "$RUN_USER:x:$RUN_UID:" >>"$ROOT/etc/group"
install -d -m 755 -o "$RUN_UID" -g "$RUN_UID" "$ROOT/home/$RUN_USER"
install -d -m 755 "$ROOT/opt/korvanta-e2e"
install -m 644 "$TARBALL" "$HERE/lib.sh" "$HERE/portable-driver.sh" "$ROOT/opt/korvanta-e2e/"
as_user() {
    in_root setpriv --reuid "$RUN_UID" --regid "$RUN_UID" --clear-groups -- \
        env HOME="/home/$RUN_USER" USER="$RUN_USER" LOGNAME="$RUN_USER" LC_ALL=C.UTF-8 "$@"
}
as_user tar -xzf "/opt/korvanta-e2e/$NAME.tar.gz" -C "/home/$RUN_USER" ||
    abort "the user could not unpack the tarball in the root"
check "the unpacked folder belongs to the user" \
    test "$(stat -c %u "$ROOT/home/$RUN_USER/$NAME/Korvanta")" = "$RUN_UID"

# --- the program, run from the unpacked folder by the driver
log "running the program in the root"
as_user bash /opt/korvanta-e2e/portable-driver.sh "/home/$RUN_USER/$NAME/Korvanta" \
    "/home/$RUN_USER/e2e-work"
status=$?
check "the program works from the unpacked folder (portable-driver.sh, status $status)" test "$status" = 0
# Its logs and screenshots outlive the root.
cp -r "$ROOT/home/$RUN_USER/e2e-work" "$WORK/inside" 2>/dev/null
((status == 0)) || log "the driver's logs and screenshots are in $WORK/inside"
e2e_finish
