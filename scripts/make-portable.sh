#!/usr/bin/env bash
# Makes the portable folder of a Release build, for Linux distributions that have no Korvanta
# package: BUILD/korvanta-<version>-linux-<arch>.tar.gz, one top folder that holds
#
#   Korvanta            the executable (RUNPATH $ORIGIN/lib)
#   qt.conf             tells Qt to take its plugins and translations from this folder
#   *.csv, *.txt ...    the example files: the executable's folder is the first start's folder
#   README, LICENSE     what the folder is; Korvanta's licence
#   lib/                the Qt libraries and what they need, less packaging/portable-exclude
#   plugins/            the Qt plugins the program loads on X11 (RUNPATH $ORIGIN/../../lib)
#   translations/       Qt's Japanese texts (standard buttons), qtbase_ja.qm
#   licenses/           the Debian copyright file of every package a bundled file comes from,
#                       the licence texts they refer to, and which file comes from which package
#
# Korvanta.ini is written beside the executable, as in any portable program folder; the folder
# holds no installed-copy marker. No wrapper script: the executable at the top is the real one,
# so its folder (AppFolder) is the top folder.
#
# Usage: scripts/make-portable.sh BUILD_DIR [OUT_DIR]     (OUT_DIR defaults to BUILD_DIR)
# Needs the build's Qt (qtpaths6), binutils (objdump, strip), patchelf, dpkg and tar.
set -euo pipefail

die() {
    echo "make-portable: $*" >&2
    exit 1
}
log() { echo "make-portable: $*"; }

SOURCE=$(cd "$(dirname "$0")/.." && pwd)
[[ $# -ge 1 ]] || die "usage: $0 BUILD_DIR [OUT_DIR]"
BUILD_DIR=$(cd "$1" && pwd) || die "no build folder $1"
OUT_DIR=${2:-$BUILD_DIR}
mkdir -p "$OUT_DIR"
OUT_DIR=$(cd "$OUT_DIR" && pwd)
EXCLUDE_FILE="$SOURCE/packaging/portable-exclude"

for tool in objdump strip patchelf ldd dpkg-query tar gzip; do
    command -v "$tool" >/dev/null 2>&1 || die "$tool is not installed (scripts/install-deps.sh)"
done

# --- what is packed: the Release build's executable, its version, this machine's architecture
CACHE="$BUILD_DIR/CMakeCache.txt"
[[ -f "$CACHE" ]] || die "$BUILD_DIR is no CMake build folder"
cache_value() { awk -v key="$1" 'index($0, key ":") == 1 { sub(/^[^=]*=/, ""); print; exit }' "$CACHE"; }
BUILD_TYPE=$(cache_value CMAKE_BUILD_TYPE)
[[ "$BUILD_TYPE" == Release ]] || die "the build in $BUILD_DIR is '$BUILD_TYPE', not Release"
VERSION=$(cache_value CMAKE_PROJECT_VERSION)
[[ -n "$VERSION" ]] || die "no project version in $CACHE"
ARCH=$(uname -m)
EXE="$BUILD_DIR/bin/Korvanta"
[[ -x "$EXE" ]] || die "no executable at $EXE: build first"

NAME="korvanta-$VERSION-linux-$ARCH"
# The folder is put together beside the tarball, so that the test's tarball and `make portable`'s
# never share one.
STAGE_PARENT="$OUT_DIR/portable"
STAGE="$STAGE_PARENT/$NAME"
TARBALL="$OUT_DIR/$NAME.tar.gz"

QTPATHS=$(command -v qtpaths6 || echo /usr/lib/qt6/bin/qtpaths6)
[[ -x "$QTPATHS" ]] || die "qtpaths6 not found (qt6-base-dev-tools)"
QT_PLUGINS=$("$QTPATHS" --query QT_INSTALL_PLUGINS)
QT_TRANSLATIONS=$("$QTPATHS" --query QT_INSTALL_TRANSLATIONS)

# The plugins the program needs on X11. Run with QT_DEBUG_PLUGINS=1 it loads the xcb platform
# plugin and the compose input context (Qt's default: dead keys and the compose key); the ibus
# input context is the one Qt loads when QT_IM_MODULE=ibus, as desktops set it for their Japanese
# input method. Left out:
# - imageformats (gif, ico, jpeg): QIcon::addFile probes every installed format plugin while
#   reading the window icon, but all of the program's pictures are PNG, which QtGui reads itself;
# - xcbglintegrations: Qt loads them only for OpenGL windows, and the program has none;
# - wayland: in a Wayland session the program asks for xcb first and runs on XWayland;
# - platformthemes, styles, iconengines, tls, networkinformation, printsupport: none is loaded.
PLUGINS=(
    platforms/libqxcb.so
    platforminputcontexts/libcomposeplatforminputcontextplugin.so
    platforminputcontexts/libibusplatforminputcontextplugin.so
)
TRANSLATIONS=(qtbase_ja.qm)

# --- the exclude list
source "$SOURCE/scripts/portable-exclude.sh"
load_portable_excludes "$EXCLUDE_FILE"

# --- the folder
rm -rf -- "$STAGE_PARENT"
mkdir -p "$STAGE/lib" "$STAGE/plugins" "$STAGE/translations" "$STAGE/licenses"

install -m 755 "$EXE" "$STAGE/Korvanta"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$STAGE/Korvanta"
patchelf --set-rpath '$ORIGIN/lib' "$STAGE/Korvanta"

ROOTS=("$STAGE/Korvanta")
for p in "${PLUGINS[@]}"; do
    [[ -f "$QT_PLUGINS/$p" ]] || die "Qt plugin $QT_PLUGINS/$p is missing"
    install -D -m 644 "$QT_PLUGINS/$p" "$STAGE/plugins/$p"
    patchelf --set-rpath '$ORIGIN/../../lib' "$STAGE/plugins/$p"
    ROOTS+=("$STAGE/plugins/$p")
done

# Where this machine's loader finds each library the executable and the plugins need, directly
# or not.
declare -A FOUND=()
for f in "$EXE" "${ROOTS[@]:1}"; do
    while read -r soname path; do
        FOUND[$soname]=$path
    done < <(ldd "$f" | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }')
done

needed() { objdump -p "$1" | awk '$1 == "NEEDED" { print $2 }'; }

# Every library needed, followed through the bundled ones (an excluded library's own needs are
# the system's business).
declare -A BUNDLED=() SKIPPED=()
queue=("${ROOTS[@]}")
while ((${#queue[@]})); do
    f=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r soname; do
        [[ -n "$soname" ]] || continue
        if excluded "$soname"; then
            SKIPPED[$soname]=1
            continue
        fi
        [[ -n "${BUNDLED[$soname]:-}" ]] && continue
        path=${FOUND[$soname]:-}
        [[ -n "$path" ]] || die "$soname (needed by $(basename "$f")) is not found on this machine"
        case $(realpath "$path") in
        */dri/*) die "$soname resolves into a graphics driver folder ($path)" ;;
        esac
        BUNDLED[$soname]=$path
        install -m 644 "$(realpath "$path")" "$STAGE/lib/$soname"
        queue+=("$STAGE/lib/$soname")
    done < <(needed "$f")
done

# A bundled library that needs another bundled one finds it beside itself.
for soname in "${!BUNDLED[@]}"; do
    lib="$STAGE/lib/$soname"
    while read -r dep; do
        if [[ -n "${BUNDLED[$dep]:-}" ]]; then
            patchelf --set-rpath '$ORIGIN' "$lib"
            break
        fi
    done < <(needed "$lib")
done

for t in "${TRANSLATIONS[@]}"; do
    [[ -f "$QT_TRANSLATIONS/$t" ]] || die "Qt translation $QT_TRANSLATIONS/$t is missing (qt6-translations-l10n)"
    install -m 644 "$QT_TRANSLATIONS/$t" "$STAGE/translations/$t"
done

# Qt reads qt.conf beside the executable; its paths are relative to that folder. The system's
# Qt plugins (another Qt version) are never looked at.
cat >"$STAGE/qt.conf" <<'EOF'
[Paths]
Prefix = .
Plugins = plugins
Translations = translations
EOF
chmod 644 "$STAGE/qt.conf"

# The example files, as the build's program folder has them (the same patterns as CMakeLists.txt).
shopt -s nullglob
examples=("$SOURCE"/examples/*.csv "$SOURCE"/examples/*.CSV "$SOURCE"/examples/*.txt "$SOURCE"/examples/*.tsv)
shopt -u nullglob
((${#examples[@]})) || die "no example files in $SOURCE/examples"
install -m 644 "${examples[@]}" "$STAGE/"

# --- licences: Korvanta's, and for every bundled file the copyright file of its Debian package
install -m 644 "$SOURCE/LICENSE" "$STAGE/LICENSE"

package_of() {
    local path=$1 alt out p
    case $path in
    /usr/lib/*) alt=${path#/usr} ;;
    /lib/*) alt=/usr$path ;;
    *) alt=$path ;;
    esac
    for p in "$path" "$alt" "$(realpath "$path")"; do
        out=$(dpkg-query -S "$p" 2>/dev/null) && [[ -n "$out" ]] && {
            out=${out%%$'\n'*}
            echo "${out%%:*}"
            return 0
        }
    done
    return 1
}

# One row a bundled file: the file, its Debian package, the source package and the version.
ROWS=$({
    for soname in "${!BUNDLED[@]}"; do echo "lib/$soname ${BUNDLED[$soname]}"; done
    for p in "${PLUGINS[@]}"; do echo "plugins/$p $QT_PLUGINS/$p"; done
    for t in "${TRANSLATIONS[@]}"; do echo "translations/$t $QT_TRANSLATIONS/$t"; done
} | sort | while read -r file from; do
    pkg=$(package_of "$from") || die "no Debian package holds $from"
    pkg=${pkg%%,*}
    info=$(dpkg-query -W -f='${source:Package} ${Version}' "$pkg")
    printf '%-66s %s (%s) %s\n' "$file" "$pkg" "${info% *}" "${info##* }"
done) || exit 1
{
    echo "Where each bundled file comes from: the Debian binary package and its version. The"
    echo "source of each is Debian's source package named beside it, at that version. The"
    echo "libraries in lib/ are shared libraries: a copy of the same name may replace one."
    echo
    printf '%-66s %s\n' "file" "package (source) version"
    echo "$ROWS"
} >"$STAGE/licenses/PACKAGES"
declare -A PACKAGES=()
while read -r pkg; do
    PACKAGES[$pkg]=1
done < <(awk '{ print $2 }' <<<"$ROWS" | sort -u)
((${#PACKAGES[@]})) || die "no package found for the bundled files"

for pkg in "${!PACKAGES[@]}"; do
    copyright="/usr/share/doc/$pkg/copyright"
    [[ -f "$copyright" ]] || die "$pkg has no $copyright"
    install -D -m 644 "$copyright" "$STAGE/licenses/$pkg/copyright"
done
# The licence texts the copyright files point at in Debian's common-licenses (LGPL-3 and GPL-3
# for Qt among them).
while read -r text; do
    [[ -f "/usr/share/common-licenses/$text" ]] &&
        install -D -m 644 "/usr/share/common-licenses/$text" "$STAGE/licenses/common-licenses/$text"
done < <(cat "$STAGE"/licenses/*/copyright | grep -o '/usr/share/common-licenses/[A-Za-z0-9.+_-]*' |
    sed 's|.*/||; s|\.$||' | sort -u)
# The LGPL is a set of permissions added to the GPL: both texts go together.
[[ -f "$STAGE/licenses/common-licenses/LGPL-3" ]] ||
    install -D -m 644 /usr/share/common-licenses/LGPL-3 "$STAGE/licenses/common-licenses/LGPL-3"
[[ -f "$STAGE/licenses/common-licenses/GPL-3" ]] ||
    install -D -m 644 /usr/share/common-licenses/GPL-3 "$STAGE/licenses/common-licenses/GPL-3"

# --- what the folder needs from the system: the newest C and C++ runtime versions its files use
ELF_FILES=("$STAGE/Korvanta" "$STAGE"/lib/* "$STAGE"/plugins/*/*)
newest_version() {
    objdump -T "${ELF_FILES[@]}" 2>/dev/null | grep -o "\b$1_[0-9][0-9.]*" |
        sed "s/^$1_//" | sort -uV | tail -n 1
}
GLIBC_NEEDED=$(newest_version GLIBC)
GLIBCXX_NEEDED=$(newest_version GLIBCXX)

# The folder's read-me from its template: @WORD@ placeholders, and the system's libraries as an
# indented block in place of the line that holds only @SYSTEM_LIBS@.
SYSTEM_LIBS=$(printf '%s\n' "${!SKIPPED[@]}" | sort | tr '\n' ' ' | fold -s -w 88 | sed 's/^/    /; s/ *$//') \
    awk -v version="$VERSION" -v name="$NAME" -v glibc="$GLIBC_NEEDED" -v glibcxx="$GLIBCXX_NEEDED" '
    $0 == "@SYSTEM_LIBS@" { print ENVIRON["SYSTEM_LIBS"]; next }
    { gsub(/@VERSION@/, version); gsub(/@NAME@/, name); gsub(/@GLIBC@/, glibc); gsub(/@GLIBCXX@/, glibcxx); print }
' "$SOURCE/packaging/portable-README" >"$STAGE/README"
chmod 644 "$STAGE/README"

# --- checks: every file resolves (here), nothing makes it an installed copy
for f in "${ELF_FILES[@]}"; do
    out=$(ldd "$f")
    if grep -q 'not found' <<<"$out"; then
        die "$(basename "$f") does not resolve: $(grep 'not found' <<<"$out" | tr '\n' ' ')"
    fi
done
[[ -z "$(find "$STAGE" -name installed-copy)" ]] || die "the folder holds an installed-copy marker"
[[ -z "$(find "$STAGE" -iname Korvanta.ini)" ]] || die "the folder holds a settings file"
[[ "$(objdump -p "$STAGE/Korvanta" | awk '$1 == "RUNPATH" { print $2 }')" == '$ORIGIN/lib' ]] ||
    die "the executable has no RUNPATH \$ORIGIN/lib"

# --- the tarball: sorted, owned by root, one time stamp (the last commit's, or SOURCE_DATE_EPOCH)
EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null || stat -c %Y "$SOURCE/CMakeLists.txt")}
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$EPOCH" --mode='u+rw,go-w,a+rX' \
    --format=gnu -C "$STAGE_PARENT" -cf - "$NAME" | gzip -9n >"$TARBALL.tmp"
mv -f -- "$TARBALL.tmp" "$TARBALL"

log "$TARBALL: $(stat -c %s "$TARBALL") bytes; ${#BUNDLED[@]} libraries, ${#PLUGINS[@]} plugins"
log "needs glibc $GLIBC_NEEDED and GLIBCXX_$GLIBCXX_NEEDED; from the system: $(printf '%s\n' "${!SKIPPED[@]}" | sort | tr '\n' ' ')"
