#!/usr/bin/env bash
# Runs the README's test command on a fresh Debian of another release: a clean root of SUITE is
# made from Debian's packages, the committed tree of HEAD (and the shared test data beside it) is
# put into it, and there, as on a new machine, `make` is installed and `make test` run. The root
# is removed afterwards, however the run ends.
#
# Usage: scripts/test-in-root.sh SUITE [MAKE TARGET...]     (default target: test)
# Needs root, git and scripts/install-deps.sh's packages (mmdebstrap among them).
set -euo pipefail
SOURCE=$(cd "$(dirname "$0")/.." && pwd)
SUITE=${1:?usage: test-in-root.sh SUITE [MAKE TARGET...]}
shift
TARGETS=("${@:-test}")
DEBIAN_ROOT="$SOURCE/scripts/debian-root.sh"

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/korvanta-$SUITE.XXXXXX")
ROOT="$WORK/root"
cleanup() {
    bash "$DEBIAN_ROOT" remove "$ROOT" || echo "test-in-root: could not remove $ROOT" >&2
    rm -rf --one-file-system -- "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

log() { echo "test-in-root [$SUITE] ${SECONDS}s: $*"; }

log "making a clean root in $ROOT"
bash "$DEBIAN_ROOT" make "$SUITE" "$ROOT"

# The tree as committed, in the place the checkout has here, with the shared data beside it.
mkdir -p "$ROOT/work/korvanta"
git -C "$SOURCE" archive --format=tar HEAD | tar -x -C "$ROOT/work/korvanta"
if [[ -d "$SOURCE/../shared/data" ]]; then
    mkdir -p "$ROOT/work/shared"
    cp -r "$SOURCE/../shared/data" "$ROOT/work/shared/"
fi

log "make ${TARGETS[*]} on $(. "$ROOT/etc/os-release" && echo "$PRETTY_NAME")"
# A fresh Debian has no make: install it, as the README says, then run the targets.
status=0
bash "$DEBIAN_ROOT" run "$ROOT" bash -c '
    set -e
    cd /work/korvanta
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends make >/dev/null
    make "$@"
' make-in-root "${TARGETS[@]}" || status=$?
log "make ${TARGETS[*]} ended with status $status"
exit "$status"
