#!/usr/bin/env bash
# Clean Debian roots for the tests and CI: each one is made fresh from Debian's packages with
# mmdebstrap (nothing of this machine's own installation goes into it), used through chroot with
# /proc, /sys, /dev, /dev/pts and /dev/shm bound in for the time of one command, and removed.
#
#   scripts/debian-root.sh make SUITE ROOT [PACKAGE ...]   make ROOT (which must not exist) from
#                                                          SUITE (bookworm, trixie) with PACKAGEs
#   scripts/debian-root.sh run ROOT COMMAND [ARG ...]      run COMMAND in ROOT as root
#   scripts/debian-root.sh remove ROOT                     unbind what may be left, delete ROOT
#   scripts/debian-root.sh suite                           the suite of this machine's release
#
# `run` binds inside a mount namespace of its own, so the binds are gone when the command ends,
# however it ends; it also unbinds them itself on the way out. `remove` never follows a bind out
# of ROOT (rm --one-file-system), and refuses a root that still has something mounted.
# Needs root, mmdebstrap (or debootstrap) and util-linux's unshare.
set -euo pipefail

die() {
    echo "debian-root: $*" >&2
    exit 1
}

this_suite() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [[ -n "$codename" ]] || die "cannot tell this machine's release from /etc/os-release"
    echo "$codename"
}

mounts_under() {
    local root
    root=$(realpath -m "$1")
    awk -v root="$root" '$2 == root || index($2, root "/") == 1 { print $2 }' /proc/self/mounts
}

cmd_make() {
    local suite=$1 root=$2
    shift 2
    [[ ! -e "$root" ]] || die "$root exists already"
    local include
    include=$(
        IFS=,
        echo "$*"
    )
    local mirror=http://deb.debian.org/debian
    local sources=("deb $mirror $suite main" "deb $mirror $suite-updates main"
        "deb http://deb.debian.org/debian-security $suite-security main")
    if command -v mmdebstrap >/dev/null 2>&1; then
        mmdebstrap --quiet --variant=apt --mode=root ${include:+--include="$include"} \
            "$suite" "$root" "${sources[@]}"
    elif command -v debootstrap >/dev/null 2>&1; then
        debootstrap --variant=minbase ${include:+--include="$include"} "$suite" "$root" "$mirror"
        printf '%s\n' "${sources[@]}" >"$root/etc/apt/sources.list"
    else
        die "neither mmdebstrap nor debootstrap is installed"
    fi
    # apt in the root reaches the archive like apt here does.
    [[ -s "$root/etc/resolv.conf" ]] || cp /etc/resolv.conf "$root/etc/resolv.conf"
}

cmd_run() {
    local root=$1
    shift
    [[ -d "$root/usr/bin" ]] || die "$root is no root"
    # The binds are made in a mount namespace whose mounts are private, so that none of them
    # shows outside. Within a chroot (such as a root this script runs a command in, which makes
    # roots of its own), / is no mount point and unshare cannot make it private: the mounts there
    # must be private already, as they are in a root entered with `run`.
    local propagation=private
    if ! mountpoint -q /; then
        ! grep -q ' shared:' /proc/self/mountinfo ||
            die "/ is no mount point and some mounts here are shared: cannot keep the binds in"
        propagation=unchanged
    fi
    export -f die
    unshare --mount --propagation "$propagation" -- bash -c '
        set -euo pipefail
        root=$1
        shift
        binds=(proc sys dev dev/pts dev/shm)
        unbind() {
            local i
            for ((i = ${#binds[@]} - 1; i >= 0; i--)); do
                umount -l "$root/${binds[i]}" 2>/dev/null || true
            done
        }
        trap unbind EXIT
        for b in "${binds[@]}"; do
            mkdir -p "$root/$b"
            mount --bind "/$b" "$root/$b"
        done
        status=0
        chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin ${CI:+CI="$CI"} \
            "$@" || status=$?
        exit "$status"
    ' debian-root "$root" "$@"
}

cmd_remove() {
    local root=$1 m
    [[ -e "$root" ]] || return 0
    while read -r m; do
        [[ -n "$m" ]] && umount -l "$m" 2>/dev/null || true
    done < <(mounts_under "$root" | sort -r)
    [[ -z "$(mounts_under "$root")" ]] || die "something is still mounted under $root"
    rm -rf --one-file-system -- "$root"
}

[[ $# -ge 1 ]] || die "usage: $0 make|run|remove|suite ..."
action=$1
shift
case "$action" in
suite) this_suite ;;
make)
    [[ $# -ge 2 ]] || die "usage: $0 make SUITE ROOT [PACKAGE ...]"
    [[ $(id -u) -eq 0 ]] || die "making a root needs root"
    cmd_make "$@"
    ;;
run)
    [[ $# -ge 2 ]] || die "usage: $0 run ROOT COMMAND [ARG ...]"
    [[ $(id -u) -eq 0 ]] || die "running in a root needs root"
    cmd_run "$@"
    ;;
remove)
    [[ $# -eq 1 ]] || die "usage: $0 remove ROOT"
    cmd_remove "$1"
    ;;
*) die "unknown action $action" ;;
esac
