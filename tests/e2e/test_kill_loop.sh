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
# Runs itself under xvfb-run with openbox as the window manager; every wait has a time limit.

set -u
EXE=${1:?usage: test_kill_loop.sh <Korvanta executable> <work dir>}
WORK=${2:?usage: test_kill_loop.sh <Korvanta executable> <work dir>}

if [[ -z "${KORVANTA_E2E_INNER:-}" ]]; then
    for tool in xvfb-run xdotool xprop openbox iconv; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed" >&2; exit 1; }
    done
    KORVANTA_E2E_INNER=1 exec timeout 290 xvfb-run -a -s "-screen 0 1024x768x24" \
        bash "$0" "$EXE" "$WORK"
fi

export QT_QPA_PLATFORM=xcb
SEED=${KORVANTA_KILL_SEED:-$(( $(od -An -N2 -tu2 /dev/urandom) ))}
ROUNDS=${KORVANTA_KILL_ROUNDS:-200}
RANDOM=$SEED
echo "kill-loop: seed $SEED (replay with KORVANTA_KILL_SEED=$SEED), $ROUNDS rounds"

mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
PROG="$WORK/program"
rm -rf -- "$PROG" "$WORK/runtime"
mkdir -p "$PROG" "$WORK/runtime"
chmod 700 "$WORK/runtime"
cp "$EXE" "$PROG/Korvanta"
export XDG_RUNTIME_DIR="$WORK/runtime"

# goods.csv in code page 932: 品名,品番 then ﾘﾝｺﾞ,A-01 and ﾐｶﾝ,A-02.
printf '\x95\x69\x96\xbc,\x95\x69\x94\xd4\r\n\xd8\xdd\xba\xde,A-01\r\n\xd0\xb6\xdd,A-02\r\n' \
    > "$PROG/goods.csv"
# A normal start with goods.csv selected, so that F2 opens it and F2 again goes back.
printf '[Tool]\r\nDir1V=False\r\nTemae=False\r\nNoCopy=False\r\nSentakuDataKiroku=True\r\nFilePath=%s/\r\nFileListIndex=0\r\n[Position]\r\nTop=0\r\nLeft=0\r\nHeight=6000\r\nWidth=4500\r\nDir1Height=1350\r\nViewFormHight=6000\r\nViewFormWidth=9000\r\n[goods.csv]\r\nKoumokuHyoujiNo=2\r\nDataListIndex=0\r\n' \
    "$PROG" > "$PROG/Korvanta.ini"

PID=""
WM=""
cleanup() {
    [[ -n "$PID" ]] && kill -KILL "$PID" 2>/dev/null
    [[ -n "$WM" ]] && kill "$WM" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

openbox >"$WORK/openbox.log" 2>&1 &
WM=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    echo "FAIL: openbox did not start"
    exit 1
fi

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The sections and keys of a settings file, one "section/key" a line, letters in lower case.
keys_of() {
    tr -d '\r' < "$1" | awk '
        /^[ \t]*\[.*\]/ { s = $0; sub(/^[ \t]*\[/, "", s); sub(/\][^]]*$/, "", s); next }
        index($0, "=") > 0 { k = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", k);
                             print tolower(s) "/" tolower(k) }' | sort -u
}

# Whether the settings file is whole; prints why not.
check_settings() {
    local ini="$PROG/Korvanta.ini"
    [[ -f "$ini" ]] || { echo "the settings file is gone"; return 1; }
    iconv -f CP932 -t UTF-8 "$ini" >/dev/null 2>&1 || { echo "not code page 932 text"; return 1; }
    # Complete CR LF lines only: a cut write would end inside a line.
    if [[ -s "$ini" && "$(tail -c 2 "$ini" | od -An -tx1 | tr -d ' \n')" != "0d0a" ]]; then
        echo "the last line is not complete"
        return 1
    fi
    if tr -d '\r' < "$ini" | grep -qvE '^$|^\[.*\]$|='; then
        echo "a line that is neither a section nor a key: $(tr -d '\r' < "$ini" | grep -vE '^$|^\[.*\]$|=' | head -n 1)"
        return 1
    fi
    if [[ $(tr -cd '\r' < "$ini" | wc -c) -ne $(tr -cd '\n' < "$ini" | wc -c) ]]; then
        echo "a line end that is not CR LF"
        return 1
    fi
    # The options are whole words: a torn write could leave a part of one.
    local bad
    bad=$(tr -d '\r' < "$ini" | grep -E '^(Dir1V|Temae|NoCopy|ScrollBerSetei|KensakuKaisi|PuHyoujiSet|SentakuDataKiroku|WebJyunkai|WebDblClickOpen)=' \
        | grep -vE '=(True|False)$')
    if [[ -n "$bad" ]]; then
        echo "an option that is neither True nor False: $bad"
        return 1
    fi
    local lost
    lost=$(comm -23 "$WORK/keys.before" <(keys_of "$ini"))
    if [[ -n "$lost" ]]; then
        echo "keys were lost: $(echo "$lost" | tr '\n' ' ')"
        return 1
    fi
    local extra
    extra=$(cd "$PROG" && ls -A | grep -vxE 'Korvanta|Korvanta\.ini|goods\.csv')
    if [[ -n "$extra" ]]; then
        echo "files left behind: $(echo "$extra" | tr '\n' ' ')"
        return 1
    fi
    return 0
}

# One run: start, wait for the window, then the keys given: F2 switches between the file list
# and the data view, Tab puts the focus on the data list, Up and Down move its selection (the
# row is stored when the view is left), F4 turns always-on-top over (stored at closing), Alt+F4
# closes through the window manager. Then wait for the end.
drive() {
    local wid=""
    for _ in $(seq 100); do
        kill -0 "$PID" 2>/dev/null || return 0
        wid=$(xdotool search --onlyvisible --name '^Korvanta$' 2>/dev/null | head -n 1)
        [[ -n "$wid" ]] && break
        sleep 0.05
    done
    [[ -n "$wid" ]] || return 1
    # Keys go to the focused window: wait until the window manager has given it the focus.
    for _ in $(seq 100); do
        [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$wid" ]] && break
        kill -0 "$PID" 2>/dev/null || return 0
        xdotool windowactivate "$wid" 2>/dev/null
        sleep 0.05
    done
    local key
    for key in "$@"; do
        kill -0 "$PID" 2>/dev/null || return 0
        xdotool key --clearmodifiers "$key" 2>/dev/null
        sleep 0.02
    done
    for _ in $(seq 200); do
        kill -0 "$PID" 2>/dev/null || return 0
        sleep 0.05
    done
    return 1
}

# The keys of one run into KEYS, drawn from the seeded random numbers (in this shell, not in a
# subshell, whose random numbers would not follow the seed).
random_keys() {
    local move=(Up Down)
    KEYS=(F2 Tab "${move[RANDOM % 2]}" F2 F2 Tab "${move[RANDOM % 2]}" F2)
    if ((RANDOM % 2)); then KEYS+=(F4); fi
    KEYS+=(alt+F4)
}

start_program() {
    (cd "$PROG" && exec ./Korvanta) &
    PID=$!
}

# A first run without a kill: it must close by itself, and its length sets the range of the kill
# moments.
keys_of "$PROG/Korvanta.ini" > "$WORK/keys.before"
t0=$(now_ms)
start_program
if ! drive F2 Tab Down F2 F2 Tab Up F2 F4 alt+F4; then
    echo "FAIL: the first run did not open, switch and close (seed $SEED)"
    exit 1
fi
wait "$PID" 2>/dev/null
PID=""
FULL=$(( $(now_ms) - t0 ))
echo "kill-loop: a whole run takes ${FULL} ms"
if ! why=$(check_settings); then
    echo "FAIL: after a normal close: $why"
    exit 1
fi
# The run must have changed the file, or the kills below would test no write at all.
if ! tr -d '\r' < "$PROG/Korvanta.ini" | grep -qx 'Temae=True' \
    || ! tr -d '\r' < "$PROG/Korvanta.ini" | grep -qx 'DataListIndex=0'; then
    echo "FAIL: the keys did not reach the program (no switch, move or option was stored)"
    exit 1
fi

failed=0
killed=0
t_start=$(now_ms)
for round in $(seq "$ROUNDS"); do
    cp "$PROG/Korvanta.ini" "$WORK/before.ini"
    keys_of "$PROG/Korvanta.ini" > "$WORK/keys.before"
    delay=$(( RANDOM % (FULL + FULL / 10 + 1) ))
    random_keys
    start_program
    drive "${KEYS[@]}" >/dev/null 2>&1 &
    DRIVER=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    if kill -KILL "$PID" 2>/dev/null; then
        killed=$((killed + 1))
    fi
    wait "$PID" 2>/dev/null
    PID=""
    kill "$DRIVER" 2>/dev/null
    wait "$DRIVER" 2>/dev/null
    if ! why=$(check_settings); then
        echo "FAIL: round $round, killed after $delay ms: $why (seed $SEED)"
        cp "$WORK/before.ini" "$WORK/failed-before.ini"
        cp "$PROG/Korvanta.ini" "$WORK/failed-after.ini" 2>/dev/null
        failed=1
        break
    fi
done
elapsed=$(( $(now_ms) - t_start ))

if [[ $failed -ne 0 ]]; then
    exit 1
fi
echo "kill-loop: $ROUNDS rounds, $killed killed while running, in $((elapsed / 1000)) s: passed"
