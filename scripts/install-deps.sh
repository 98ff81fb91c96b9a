#!/usr/bin/env bash
# Installs the Debian packages Korvanta needs to build, run and test. Does nothing when they are
# all present already. Run as root, or as a user with sudo.
set -euo pipefail

PACKAGES=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libbenchmark-dev libicu-dev
    fonts-noto-cjk qt6-translations-l10n
    xvfb xauth xdotool xclip x11-utils imagemagick xdg-utils openbox wmctrl desktop-file-utils
    clang-19 libclang-rt-19-dev clang-format-19
    dpkg-dev lintian appstream util-linux
    patchelf mmdebstrap mount
    weston xwayland qt6-wayland
    qt6ct
    libxcb1-dev
    mutter
    dbus-daemon at-spi2-core python3-pyatspi
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO="sudo"
    else
        echo "install-deps: run as root (or install sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
