#!/usr/bin/env bash
# The Debian package, end to end. It is built as `make package` builds it (scripts/
# build-package.sh, in a clean root of this machine's release, into the build folder; a package
# that script built there from the very same sources is taken as it is), and checked: lintian
# finds no error, the metainfo and the desktop entry validate, it holds the installed files and
# depends on what Korvanta needs. Then apt installs it in another clean root of this release,
# with an X server, a window manager and the test tools, and installed_package.sh runs the
# installed program there as an unprivileged user (first start, second start, `korvanta FILE`,
# the settings file, nothing written under /usr).
#
# Usage: bash test_package.sh <Korvanta executable> <work dir>
# (KORVANTA_BUILD_DIR names the build folder, where the package goes; CTest sets it, with
# KORVANTA_VERSION. KORVANTA_ROOT_DIR is where the roots are made, default /var/tmp.) Needs root
# and the network; skipped (status 77) when not run as root.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-1300}
E2E_NO_X=1
e2e_init package "$@"

TREE=$(cd "$(dirname "$0")/../.." && pwd)
BUILD_DIR=${KORVANTA_BUILD_DIR:-$(cd "$(dirname "$EXE")/.." && pwd)}
# Making roots needs root: for anyone else the test is skipped (CTest's SKIP_RETURN_CODE).
if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: [package] the package is built and installed in clean roots, which needs root"
    exit 77
fi
for tool in dpkg-deb lintian appstreamcli desktop-file-validate readelf mmdebstrap unshare; do
    command -v "$tool" >/dev/null 2>&1 || abort "$tool is not installed"
done
ROOT_TOOL="$TREE/scripts/debian-root.sh"
SUITE=$(bash "$ROOT_TOOL" suite)

# --- the root the package is installed in, made while the package builds
TEST_ROOT=$(mktemp -d "${KORVANTA_ROOT_DIR:-/var/tmp}/deb-test-$SUITE.XXXXXX")
rmdir "$TEST_ROOT"
UNPACKED=$(mktemp -d /tmp/korvanta-package-unpacked.XXXXXX)
ROOT_PID=""
package_cleanup() {
    [[ -n "$ROOT_PID" ]] && { kill "$ROOT_PID" 2>/dev/null; wait "$ROOT_PID" 2>/dev/null; }
    bash "$ROOT_TOOL" remove "$TEST_ROOT" || echo "test_package: could not remove $TEST_ROOT"
    rm -rf -- "$UNPACKED"
}
trap package_cleanup EXIT
# What the test harness needs besides the package; useradd is in passwd.
HARNESS_PACKAGES=(xvfb xauth openbox xdotool xclip x11-utils wmctrl imagemagick fonts-noto-cjk passwd)
bash "$ROOT_TOOL" make "$SUITE" "$TEST_ROOT" "${HARNESS_PACKAGES[@]}" >"$WORK/test-root.log" 2>&1 &
ROOT_PID=$!

# --- build it (or take the one built from these sources)
log "building the package for $SUITE"
bash "$TREE/scripts/build-package.sh" --reuse "$BUILD_DIR" >"$WORK/build-package.log" 2>&1 ||
    abort "scripts/build-package.sh failed: $(tail -n 15 "$WORK/build-package.log")"
DEB=$(tail -n 1 "$WORK/build-package.log")
log "$(grep '^build-package: ' "$WORK/build-package.log" | tail -n 1)"
ARCH=$(dpkg --print-architecture)
RELEASE=$(. /etc/os-release && echo "$VERSION_ID")
WANT="korvanta_${KORVANTA_VERSION:-[0-9.]*}-[0-9]*~deb${RELEASE}u1_${ARCH}.deb"
check "the package is named for the release: $(basename "$DEB") is $WANT" \
    eval '[[ -f "$DEB" && "$(basename "$DEB")" == $WANT ]]'
[[ -f "$DEB" ]] || e2e_finish
log "package: $(basename "$DEB"), $(stat -c %s "$DEB") bytes"

# --- lintian: no error; its warnings are shown (lintian refuses some checks as root untold)
lintian --allow-root --tag-display-limit 0 "$DEB" >"$WORK/lintian.log" 2>&1
check "lintian reports no error ($(grep -c '^E:' "$WORK/lintian.log") errors)" \
    eval '! grep -q "^E:" "$WORK/lintian.log"'
grep -E '^[EW]:' "$WORK/lintian.log" | sed 's/^/lintian: /'

# --- what it holds
CONTENTS=$(dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/korvanta /usr/share/applications/org.korvanta.Korvanta.desktop \
    /usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml \
    /usr/share/icons/hicolor/16x16/apps/org.korvanta.Korvanta.png \
    /usr/share/icons/hicolor/256x256/apps/org.korvanta.Korvanta.png \
    /usr/share/icons/hicolor/scalable/apps/org.korvanta.Korvanta.svg \
    /usr/share/man/man1/korvanta.1.gz /usr/share/doc/korvanta/README.md \
    /usr/share/doc/korvanta/copyright /usr/share/doc/korvanta/changelog.gz \
    /usr/share/doc/korvanta/changelog.Debian.gz /usr/share/korvanta/installed-copy \
    /usr/share/korvanta/examples/staff.csv /usr/share/korvanta/examples/products.CSV \
    /usr/share/lintian/overrides/korvanta; do
    check "the package holds $path" grep -qx "$path" <<<"$CONTENTS"
done
check "nothing outside /usr" eval '! grep -v "^/usr/\|^/$" <<<"$CONTENTS" | grep -q .'
check "every file is installed once" eval '[[ -z "$(sort <<<"$CONTENTS" | uniq -d)" ]]'
check "no file under /usr/local" eval '! grep -q "^/usr/local/" <<<"$CONTENTS"'

DEPENDS=$(dpkg-deb -f "$DEB" Depends)
RECOMMENDS=$(dpkg-deb -f "$DEB" Recommends)
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libqt6network6 libicu libc6 qt6-qpa-plugins; do
    check "Depends names $dep" grep -q "$dep" <<<"$DEPENDS"
done
for dep in fonts-noto-cjk qt6-translations-l10n xdg-utils; do
    check "Recommends names $dep" grep -q "$dep" <<<"$RECOMMENDS"
done
check "Suggests names qt6-wayland" eval '[[ "$(dpkg-deb -f "$DEB" Suggests)" == *qt6-wayland* ]]'
check "the package is utils, optional" \
    test "$(dpkg-deb -f "$DEB" Section) $(dpkg-deb -f "$DEB" Priority)" = "utils optional"

# --- the files as installed
dpkg-deb -x "$DEB" "$UNPACKED" || abort "dpkg-deb -x failed"
check "the metainfo validates" appstreamcli validate --no-net \
    "$UNPACKED/usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml"
check "the desktop entry validates" desktop-file-validate \
    "$UNPACKED/usr/share/applications/org.korvanta.Korvanta.desktop"
check "the desktop entry starts korvanta by name" \
    grep -qx 'Exec=korvanta %f' "$UNPACKED/usr/share/applications/org.korvanta.Korvanta.desktop"
check "the man page reads" eval 'zcat "$UNPACKED/usr/share/man/man1/korvanta.1.gz" | grep -q "^\.TH KORVANTA 1"'
check "the copyright is the MIT licence" \
    grep -qx 'License: Expat' "$UNPACKED/usr/share/doc/korvanta/copyright"
check "the executable is stripped" eval '! readelf -S "$UNPACKED/usr/bin/korvanta" | grep -q "\.symtab"'

# --- installed by apt in a clean root, and run there
log "waiting for the test root"
wait "$ROOT_PID"
status=$?
ROOT_PID=""
((status == 0)) || abort "could not make the $SUITE root: $(tail -n 15 "$WORK/test-root.log")"
cp "$DEB" "$TEST_ROOT/tmp/"
# Recommends left out: the one that matters here, the Japanese font, is installed already.
bash "$ROOT_TOOL" run "$TEST_ROOT" sh -c "apt-get update -q && DEBIAN_FRONTEND=noninteractive \
    apt-get install -q -y --no-install-recommends /tmp/$(basename "$DEB")" >"$WORK/apt.log" 2>&1
check "apt installs the package in a clean $SUITE root" \
    eval '[[ "$(bash "$ROOT_TOOL" run "$TEST_ROOT" dpkg-query -W -f="\${Status}" korvanta)" == "install ok installed" ]]' ||
    { tail -n 20 "$WORK/apt.log"; e2e_finish; }

rm -rf -- "$TEST_ROOT/tmp/e2e"
cp -r "$TREE/tests/e2e" "$TEST_ROOT/tmp/e2e"
log "running the installed program in the root"
bash "$ROOT_TOOL" run "$TEST_ROOT" bash /tmp/e2e/installed_package.sh /usr/bin/korvanta /tmp/e2e/work
status=$?
check "the installed program passes its checks in the root (status $status)" test "$status" = 0
# Logs and screenshots of the run stay in the work folder.
rm -rf -- "$WORK/in-root"
cp -r "$TEST_ROOT/tmp/e2e/work" "$WORK/in-root" 2>/dev/null
e2e_finish
