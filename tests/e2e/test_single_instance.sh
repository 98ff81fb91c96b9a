#!/usr/bin/env bash
# A second start of the program hands over to the running copy: the running window comes back
# (restored, raised and activated), the second copy ends with status 0 without showing a window,
# and the settings file is left alone. When the running copy does not answer within 30 s, the
# second copy shows its message box titled "Korvanta_2" and ends after OK. A termination signal closes the program.
#
# Usage: bash test_single_instance.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init single-instance "$@"
e2e_program_folder

write_goods 1
DIR1V=True POS_TOP=1500 POS_LEFT=3000 normal_tool_section | write_ini

COVER_PID=""
cover_cleanup() { stop_pid "$COVER_PID"; e2e_cleanup; }
trap cover_cleanup EXIT

folder_listing() { (cd "$PROG" && ls -lA --time-style=full-iso); }

app_start || e2e_finish
FIRST_PID=$APP_PID

# Another program's window in front of ours.
COVER_ID=""
if command -v xmessage >/dev/null 2>&1; then
    xmessage -geometry 500x500+0+0 -title cover "another program" >/dev/null 2>&1 &
    COVER_PID=$!
    COVER_ID=$(timeout 10 xdotool search --sync --onlyvisible --name '^cover$' 2>/dev/null | head -n 1)
    [[ -n "$COVER_ID" ]] && activate "$COVER_ID"
    check "the other program's window is in front" stacked_above "$COVER_ID" "$WID"
fi

xdotool windowminimize "$WID"
check "the window manager minimized the window" poll 50 eval '[[ "$(wm_state)" == Iconic ]]'

INI_MD5=$(md5sum <"$INI")
LISTING=$(folder_listing)

# The second copy hands over and ends without a window of its own.
start_second handover
SECOND_SHOWN=""
second_ends "handing over" || e2e_finish

check "the first copy's window is shown again" poll 50 window_shown
check "the first copy's window is no longer minimized" poll 50 eval '[[ "$(wm_state)" == Normal ]]'
[[ -n "$COVER_ID" ]] &&
    check "the first copy's window is raised above the other window" poll 50 stacked_above "$WID" "$COVER_ID"
check "the first copy's window is the active window" poll 50 is_active
check "the first copy still runs" app_alive
check "the settings file is unchanged by the hand-over" test "$(md5sum <"$INI")" = "$INI_MD5"
check "the program folder is unchanged by the hand-over" test "$(folder_listing)" = "$LISTING"

# A running copy that does not answer: the second copy waits for it as for a busy copy, up to
# its bound of 30 s, then says so and ends after OK.
kill -STOP "$FIRST_PID"
start_second unanswered
BOX=$(second_box 45)
if [[ -n "$BOX" ]]; then
    pass "a message box titled Korvanta_2 when the running copy does not answer"
    check "the second copy waits for OK" kill -0 "$SECOND_PID"
    second_ok "$BOX"
    check "the second copy ended with status 0 after the message (got $SECOND_STATUS)" test "$SECOND_STATUS" = 0
else
    fail "no message box titled Korvanta_2 when the running copy does not answer"
fi
check "the settings file is unchanged by the unanswered request" test "$(md5sum <"$INI")" = "$INI_MD5"
kill -CONT "$FIRST_PID"
check "the first copy still runs after the unanswered request" app_alive
check "the first copy answers again: its window can be activated" activate

# A termination signal closes the first copy through its closing sequence, status 0.
kill -TERM "$FIRST_PID"
if wait_gone "$FIRST_PID" 100; then
    wait "$FIRST_PID"
    RC=$?
    APP_PID=""
    check "the first copy ended with status 0 after SIGTERM (got $RC)" test "$RC" = 0
else
    fail "the first copy did not end within 10 s of SIGTERM"
fi

# A runtime folder open to every user, and the name Qt would fall back to in the shared temporary
# folder taken by another user: the lock and the socket go neither to the open folder nor loose
# into the shared one, but into a folder of the user's own there, where a second start finds
# them and hands over as before.
if [[ $(id -u) -eq 0 ]]; then
    SHARED_TMP="$WORK/shared-tmp"
    OWN_TMP="$SHARED_TMP/korvanta-$(id -u)"
    rm -rf -- "$SHARED_TMP" "${RUNTIME:?}"/*
    mkdir -p "$SHARED_TMP/runtime-$(id -un)"
    chown nobody: "$SHARED_TMP/runtime-$(id -un)"
    chmod 1777 "$SHARED_TMP" "$RUNTIME"
    export TMPDIR="$SHARED_TMP"
    app_start || e2e_finish
    check "nothing of the program's lies loose in the shared temporary folder" \
        test -z "$(find "$SHARED_TMP" -mindepth 1 -maxdepth 1 ! -type d)"
    check "nothing of the program's is in the open runtime folder" test -z "$(ls -A "$RUNTIME")"
    check "the lock and the socket are in $OWN_TMP, the user's own, mode 700" \
        eval '[[ -S "$(ls -d "$OWN_TMP"/korvanta-* | grep -v "\.lock$" | head -n 1)" &&
            "$(stat -c %a:%u "$OWN_TMP")" == "700:$(id -u)" ]]'
    start_second open-runtime
    SECOND_SHOWN=""
    second_ends "handing over with an open runtime folder" || e2e_finish
    check "the first copy still runs after that hand-over" app_alive
    app_term
    unset TMPDIR
else
    log "not root: the shared temporary folder's name cannot be given to another user; skipped"
fi
e2e_finish
