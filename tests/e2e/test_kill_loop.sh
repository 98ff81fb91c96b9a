#!/usr/bin/env bash
# Kills the real program with SIGKILL at random moments of its start, of view switches and of its
# closing, many times in a row. After every kill the settings file must still be whole: either the
# content it had before that run or a later one, valid code page 932 text of complete CR LF lines
# that the settings reader takes as sections and keys, holding every key it held before (writes
# never remove a key, so a lost key means a half-written file). No temporary file may be left in
# the program folder.
#
# Usage: bash test_kill_loop.sh <Korvanta executable> <work dir>
# KORVANTA_KILL_SEED=N replays the run of that seed (every run prints its seed);
# KORVANTA_KILL_ROUNDS=N changes the number of kills (200).

E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-290}
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init kill-loop "$@"
e2e_program_folder

SEED=${KORVANTA_KILL_SEED:-$(($(od -An -N2 -tu2 /dev/urandom)))}
ROUNDS=${KORVANTA_KILL_ROUNDS:-200}
RANDOM=$SEED
echo "kill-loop: seed $SEED (replay with KORVANTA_KILL_SEED=$SEED), $ROUNDS rounds"

write_goods
# A normal start with goods.csv selected, so that F2 opens it and F2 again goes back.
FILE_INDEX=0 normal_ini goods.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'

DRIVER=""
driver_cleanup() { stop_pid "$DRIVER"; e2e_cleanup; }
trap driver_cleanup EXIT

# The sections and keys of a settings file, one "section/key" a line, letters in lower case.
keys_of() {
    tr -d '\r' <"$1" | awk '
        /^[ \t]*\[.*\]/ { s = $0; sub(/^[ \t]*\[/, "", s); sub(/\][^]]*$/, "", s); next }
        index($0, "=") > 0 { k = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", k);
                             print tolower(s) "/" tolower(k) }' | sort -u
}

# Whether the settings file is whole; prints why not.
check_settings() {
    [[ -f "$INI" ]] || { echo "the settings file is gone"; return 1; }
    iconv -f CP932 -t UTF-8 "$INI" >/dev/null 2>&1 || { echo "not code page 932 text"; return 1; }
    # Complete CR LF lines only: a cut write would end inside a line.
    if [[ -s "$INI" && "$(tail -c 2 "$INI" | od -An -tx1 | tr -d ' \n')" != "0d0a" ]]; then
        echo "the last line is not complete"
        return 1
    fi
    if tr -d '\r' <"$INI" | grep -qvE '^$|^\[.*\]$|='; then
        echo "a line that is neither a section nor a key: $(tr -d '\r' <"$INI" | grep -vE '^$|^\[.*\]$|=' | head -n 1)"
        return 1
    fi
    if [[ $(tr -cd '\r' <"$INI" | wc -c) -ne $(tr -cd '\n' <"$INI" | wc -c) ]]; then
        echo "a line end that is not CR LF"
        return 1
    fi
    # The options are whole words: a torn write could leave a part of one.
    local bad
    bad=$(tr -d '\r' <"$INI" | grep -E '^(Dir1V|Temae|NoCopy|ScrollBerSetei|KensakuKaisi|PuHyoujiSet|SentakuDataKiroku|WebJyunkai|WebDblClickOpen)=' |
        grep -vE '=(True|False)$')
    if [[ -n "$bad" ]]; then
        echo "an option that is neither True nor False: $bad"
        return 1
    fi
    local lost
    lost=$(comm -23 "$WORK/keys.before" <(keys_of "$INI"))
    if [[ -n "$lost" ]]; then
        echo "keys were lost: $(echo "$lost" | tr '\n' ' ')"
        return 1
    fi
    local extra
    # The lock of a run killed while it wrote stays until the next write takes it over.
    extra=$(cd "$PROG" && ls -A | grep -vxE 'Korvanta|Korvanta\.ini|Korvanta\.ini\.lock|goods\.csv')
    if [[ -n "$extra" ]]; then
        echo "files left behind: $(echo "$extra" | tr '\n' ' ')"
        return 1
    fi
    return 0
}

# One run of the program started by app_launch: wait for the window, then the keys given: F2
# switches between the file list and the data view, Tab puts the focus on the data list, Up and
# Down move its selection (the row is stored when the view is left), F4 turns always-on-top over
# (stored at closing), Alt+F4 closes through the window manager. Then wait for the end. The
# program may be killed at any moment of this: a run that is gone is done.
drive() {
    local wid="" i k
    for ((i = 0; i < 100; i++)); do
        app_alive || return 0
        wid=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name '^Korvanta$' 2>/dev/null | head -n 1)
        [[ -n "$wid" ]] && break
        sleep 0.05
    done
    [[ -n "$wid" ]] || return 1
    # Keys go to the focused window: wait until the window manager has given it the focus.
    for ((i = 0; i < 100; i++)); do
        [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$wid" ]] && break
        app_alive || return 0
        xdotool windowactivate "$wid" 2>/dev/null
        sleep 0.05
    done
    for k in "$@"; do
        app_alive || return 0
        xdotool key --clearmodifiers "$k" 2>/dev/null
        sleep 0.02
    done
    wait_gone "$APP_PID" 100
}

# The keys of one run into KEYS, drawn from the seeded random numbers (in this shell, not in a
# subshell, whose random numbers would not follow the seed).
random_keys() {
    local move=(Up Down)
    KEYS=(F2 Tab "${move[RANDOM % 2]}" F2 F2 Tab "${move[RANDOM % 2]}" F2)
    if ((RANDOM % 2)); then KEYS+=(F4); fi
    KEYS+=(alt+F4)
}

# The option and the row the first run stores.
option_stored() { [[ "$(ini_get Tool Temae)" == True ]]; }
row_stored() { [[ "$(ini_get goods.csv DataListIndex)" == 0 ]]; }

# A first run without a kill: it must close by itself, and its length sets the range of the kill
# moments.
keys_of "$INI" >"$WORK/keys.before"
t0=$(now_ms)
app_launch
drive F2 Tab Down F2 F2 Tab Up F2 F4 alt+F4 || abort "the first run did not open, switch and close (seed $SEED)"
wait "$APP_PID" 2>/dev/null
APP_PID=""
FULL=$(($(now_ms) - t0))
echo "kill-loop: a whole run takes ${FULL} ms"
why=$(check_settings) || abort "after a normal close: $why"
pass "the settings file is whole after a normal close"
# The run must have changed the file, or the kills below would test no write at all.
option_stored && row_stored || abort "the keys did not reach the program (no switch, move or option was stored)"
pass "the first run stored the option and the row"

killed=0
t_start=$(now_ms)
for ((round = 1; round <= ROUNDS; round++)); do
    cp "$INI" "$WORK/before.ini"
    keys_of "$INI" >"$WORK/keys.before"
    delay=$((RANDOM % (FULL + FULL / 10 + 1)))
    random_keys
    app_launch
    drive "${KEYS[@]}" >/dev/null 2>&1 &
    DRIVER=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    if kill -KILL "$APP_PID" 2>/dev/null; then
        killed=$((killed + 1))
    fi
    wait "$APP_PID" 2>/dev/null
    APP_PID=""
    kill "$DRIVER" 2>/dev/null
    wait "$DRIVER" 2>/dev/null
    DRIVER=""
    if ! why=$(check_settings); then
        cp "$WORK/before.ini" "$WORK/failed-before.ini"
        cp "$INI" "$WORK/failed-after.ini" 2>/dev/null
        abort "round $round, killed after $delay ms: $why (seed $SEED)"
    fi
done
elapsed=$(($(now_ms) - t_start))
pass "$ROUNDS kills left the settings file whole"

# A run that closes normally after the kills writes its values, a lock left by a kill
# notwithstanding, and leaves no lock behind.
[[ -e "$PROG/Korvanta.ini.lock" ]] && log "a kill left the lock behind"
temae_before=$(ini_get Tool Temae)
# In a runtime folder of its own: what the kills left of the single-copy check is not the
# matter here.
RUNTIME="$WORK/runtime-last"
mkdir -m 700 -p "$RUNTIME"
app_launch
wait_main || abort "the last run showed no window (seed $SEED)"
# F4 gives the main window a new X window; the close goes to that one.
OLD_WID=$WID
key F4
poll 50 eval '[[ "$(program_windows Korvanta | head -n 1)" != "$OLD_WID" ]]'
wait_main || abort "the last run lost its window at F4 (seed $SEED)"
app_close || abort "the last run did not close (seed $SEED)"
why=$(check_settings) || abort "after the last close: $why"
check "the last close wrote the settings and left no lock" \
    test ! -e "$PROG/Korvanta.ini.lock" -a "$(ini_get Tool Temae)" != "$temae_before"
echo "kill-loop: $ROUNDS rounds, $killed killed while running, in $((elapsed / 1000)) s: passed"
e2e_finish
