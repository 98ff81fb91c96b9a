#!/usr/bin/env bash
# Builds Korvanta's Debian package for the Debian release this machine runs, the way a package
# for that release is built: in a clean root made fresh from the release's packages
# (scripts/debian-root.sh), into which the tree's sources are copied, `apt-get build-dep ./`
# installs what debian/control asks for, and `dpkg-buildpackage -us -uc -b` builds. The package
# is named for its release: its version is the one of debian/changelog with "~debNNu1" added
# (1.14.0-1~deb12u1 on Debian 12, ~deb13u1 on Debian 13), by an entry put on top of a copy of
# the changelog in the root. The root is removed at the end, whatever the outcome.
#
#   scripts/build-package.sh [--reuse] OUT_DIR
#
# The package is copied to OUT_DIR, which also gets korvanta-package.source-id: the sources'
# fingerprint (their names, modes and contents, and the release) and the package's file name.
# With --reuse nothing is built when that fingerprint matches the sources as they are now and
# the package is there. The last line of the output is the package's path.
#
# The sources are the files of the work tree that git tracks or would track (changes not yet
# committed included); outside a git checkout, every file except version control and build
# folders (build*/ at the top, as .gitignore has it, and any folder with a CMakeCache.txt).
#
# Environment: KORVANTA_JOBS, the build's parallel jobs (default 2);
# KORVANTA_PACKAGE_CHECK=1 builds and runs the unit tests in the package build (by default
# DEB_BUILD_OPTIONS has nocheck: `make test` runs them); KORVANTA_ROOT_DIR, the folder the root
# is made in (default /var/tmp). Needs root (it asks sudo otherwise), mmdebstrap (or
# debootstrap), unshare, tar and the network.
set -euo pipefail

die() {
    echo "build-package: $*" >&2
    exit 1
}

TREE=$(cd "$(dirname "$0")/.." && pwd)
ROOT_TOOL="$TREE/scripts/debian-root.sh"
STAMP_NAME=korvanta-package.source-id

reuse=""
if [[ "${1:-}" == --reuse ]]; then
    reuse=1
    shift
fi
[[ $# -eq 1 ]] || die "usage: $0 [--reuse] OUT_DIR"
mkdir -p "$1"
OUT_DIR=$(cd "$1" && pwd)
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null 2>&1 || die "building in a clean root needs root (or sudo)"
    exec sudo --preserve-env=KORVANTA_JOBS,KORVANTA_PACKAGE_CHECK,KORVANTA_ROOT_DIR \
        bash "$0" ${reuse:+--reuse} "$OUT_DIR"
fi
[[ -f "$TREE/debian/control" ]] || die "no debian/ folder in $TREE"

SUITE=$(bash "$ROOT_TOOL" suite)
JOBS=${KORVANTA_JOBS:-2}

# source_tar [TAR OPTION ...]: the sources as a tar stream on standard output.
source_tar() {
    if git -C "$TREE" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git -C "$TREE" ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' f; do
                # A tracked file deleted in the work tree is not part of the sources.
                [[ -e "$TREE/$f" || -L "$TREE/$f" ]] && printf '%s\0' "$f"
            done |
            tar -C "$TREE" --null --no-recursion -T - "$@" -cf -
    else
        tar -C "$TREE" --exclude-vcs --exclude='./build*' --exclude-tag-all=CMakeCache.txt \
            --exclude=./debian/.debhelper --exclude=./debian/korvanta \
            --exclude=./debian/korvanta-dbgsym --exclude=./debian/tmp "$@" -cf - .
    fi
}

# The fingerprint: the same for the same file names, modes and contents on the same release,
# whatever the files' times and owners.
SOURCE_ID=$({
    echo "$SUITE"
    source_tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner
} | sha256sum | cut -d' ' -f1)

if [[ -n "$reuse" && -f "$OUT_DIR/$STAMP_NAME" ]]; then
    read -r stamp_id stamp_deb <"$OUT_DIR/$STAMP_NAME" || true
    if [[ "${stamp_id:-}" == "$SOURCE_ID" && -n "${stamp_deb:-}" && -f "$OUT_DIR/$stamp_deb" ]]; then
        echo "build-package: $stamp_deb is the package of these sources already"
        echo "$OUT_DIR/$stamp_deb"
        exit 0
    fi
fi

ROOT=$(mktemp -d "${KORVANTA_ROOT_DIR:-/var/tmp}/deb-build-$SUITE.XXXXXX")
rmdir "$ROOT"
cleanup() { bash "$ROOT_TOOL" remove "$ROOT" || echo "build-package: could not remove $ROOT" >&2; }
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
echo "build-package: making a clean $SUITE root in $ROOT"
bash "$ROOT_TOOL" make "$SUITE" "$ROOT"

UPSTREAM=$(sed -n 's/^project(Korvanta VERSION \([0-9.]*\).*/\1/p' "$TREE/CMakeLists.txt")
[[ -n "$UPSTREAM" ]] || die "no project version in CMakeLists.txt"
SRC=/build/korvanta-$UPSTREAM
mkdir -p "$ROOT$SRC"
source_tar | tar -C "$ROOT$SRC" --no-same-owner -xf -

# The release's number (12, 13) names the build: ~deb12u1.
RELEASE=$(. "$ROOT/etc/os-release" && echo "${VERSION_ID:-}")
[[ "$RELEASE" =~ ^[0-9]+$ ]] || die "the $SUITE root has no release number in /etc/os-release"

options="nocheck"
[[ "${KORVANTA_PACKAGE_CHECK:-}" == 1 ]] && options=""
cat >"$ROOT/build/build.sh" <<EOF
#!/bin/sh
set -eu
export DEBIAN_FRONTEND=noninteractive
cd "$SRC"
apt-get update -q
apt-get build-dep -q -y --no-install-recommends ./
# A changelog entry for this release's build, dated a minute after the entry below it (lintian
# wants a later date), not now: the same sources give the same time stamps (SOURCE_DATE_EPOCH).
version=\$(dpkg-parsechangelog -S Version)~deb${RELEASE}u1
date=\$(date -u -R -d @\$((\$(dpkg-parsechangelog -S Timestamp) + 60)))
{
    printf 'korvanta (%s) %s; urgency=medium\n\n' "\$version" "$SUITE"
    printf '  * Build for Debian %s (%s).\n\n' "$RELEASE" "$SUITE"
    printf ' -- %s  %s\n\n' "\$(dpkg-parsechangelog -S Maintainer)" "\$date"
    cat debian/changelog
} >debian/changelog.new
mv debian/changelog.new debian/changelog
# At a lower priority than what runs beside it, such as the other tests of \`make test\`.
DEB_BUILD_OPTIONS="$options" nice -n 10 dpkg-buildpackage -us -uc -b -J$JOBS
echo "korvanta_\${version}_\$(dpkg --print-architecture).deb" >/build/deb-name
EOF
echo "build-package: building in the root (DEB_BUILD_OPTIONS=${options:-<none>}, $JOBS jobs)"
bash "$ROOT_TOOL" run "$ROOT" sh /build/build.sh

DEB=$(cat "$ROOT/build/deb-name")
[[ -f "$ROOT/build/$DEB" ]] || die "dpkg-buildpackage made no $DEB"
cp "$ROOT/build/$DEB" "$OUT_DIR/.$DEB.part"
mv -f "$OUT_DIR/.$DEB.part" "$OUT_DIR/$DEB"
echo "$SOURCE_ID $DEB" >"$OUT_DIR/$STAMP_NAME"
echo "build-package: built $DEB ($(stat -c %s "$OUT_DIR/$DEB") bytes) in $((SECONDS - started)) s"
echo "$OUT_DIR/$DEB"
