#!/usr/bin/env bash
# The installed Debian package at work, run as root on a system where apt installed it (a clean
# Debian root made by test_package.sh, or an autopkgtest testbed): Korvanta runs as an
# unprivileged user with a home of its own (made here when missing) under Xvfb with openbox.
# The first start shows the manual and takes the installed example files as its folder; the
# second start comes back with that folder, where a row of staff.csv is copied; `korvanta FILE`
# opens a file of the user's and a click copies its record; ~/.config/korvanta/Korvanta.ini holds
# the settings, and nothing under /usr changes.
#
# Usage: bash installed_package.sh /usr/bin/korvanta <work dir>
# (KORVANTA_TEST_USER names the user, default korvanta-test.)

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=${E2E_TIME_LIMIT:-150}
e2e_init installed-package "$@"

[[ $(id -u) -eq 0 ]] || abort "run as root: the program itself runs as an unprivileged user"
RUN_USER=${KORVANTA_TEST_USER:-korvanta-test}
if ! id "$RUN_USER" >/dev/null 2>&1; then
    useradd --create-home --shell /bin/sh "$RUN_USER" || abort "cannot make the user $RUN_USER"
fi
HOME_DIR=$(getent passwd "$RUN_USER" | cut -d: -f6)
RUN_GROUP=$(id -gn "$RUN_USER")
[[ -d "$HOME_DIR" && "$(stat -c %U "$HOME_DIR")" == "$RUN_USER" ]] ||
    abort "$RUN_USER has no home of its own"
AS_USER=(setpriv --reuid "$RUN_USER" --regid "$RUN_GROUP" --init-groups --)

RUNTIME="$WORK/runtime"
rm -rf -- "$RUNTIME" "$HOME_DIR/.config/korvanta" "$HOME_DIR/data"
mkdir -p "$RUNTIME"
chown "$RUN_USER:$RUN_GROUP" "$RUNTIME"
chmod 700 "$RUNTIME"
INI="$HOME_DIR/.config/korvanta/Korvanta.ini"
EXAMPLES=/usr/share/korvanta/examples

usr_listing() { find /usr -printf '%p %s %T@ %m %u\n' | sort; }
usr_listing >"$WORK/usr-before.txt"

# run_installed [ARG...]: starts the installed command as the user in the user's home.
run_installed() {
    APP_RUNS=$((${APP_RUNS:-0} + 1))
    APP_LOG="$WORK/korvanta-$APP_RUNS.log"
    (cd "$HOME_DIR" && exec "${AS_USER[@]}" env -i DISPLAY="$DISPLAY" HOME="$HOME_DIR" \
        USER="$RUN_USER" XDG_RUNTIME_DIR="$RUNTIME" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 \
        "$EXE" "$@") >"$APP_LOG" 2>&1 &
    APP_PID=$!
    WID=""
}

folder_is_examples() { [[ "$(ini_get Tool FilePath)" == "$EXAMPLES" || "$(ini_get Tool FilePath)" == "$EXAMPLES/" ]]; }

# 1. The first start: the manual, then the main window; closing writes the settings file.
run_installed
MANUAL=$(wait_for_window '説明書' 200) || abort "the first start showed no manual"
pass "the first start shows the manual"
check "the program runs as $RUN_USER" test "$(stat -c %U "/proc/$APP_PID")" = "$RUN_USER"
activate "$MANUAL"
close_window "$MANUAL"
wait_main 20 || abort "no main window after the manual"
app_close || abort "the first run did not end"
check "the settings file is ~/.config/korvanta/Korvanta.ini" test -f "$INI"
check "the first start's folder is the installed examples ($(ini_get Tool FilePath))" folder_is_examples

# The folder pane off, as a user may choose, so that the rows lie where the harness knows them.
"${AS_USER[@]}" sed -i 's/^Dir1V=True/Dir1V=False/' "$INI"

# 2. The second start: no manual, the examples folder again; staff.csv (the fifth file) opens
# with a double click and a click on its third row copies it.
set_clipboard "none" || fail "xclip could not set the clipboard"
run_installed
wait_main 20 || abort "the second start showed no main window"
check "the second start shows no manual" eval '[[ -z "$(other_window "説明書")" ]]'
open_and_copy 4 2
check "a row of the example staff.csv was copied ('$ROW_TEXT')" test "$ROW_TEXT" != none
app_close || abort "the second run did not end"
check "the folder is still the installed examples" folder_is_examples
check "the selected row of staff.csv is stored" test "$(ini_get staff.csv DataListIndex)" = 2

# 3. `korvanta FILE` with a file of the user's: it opens with its first record copied, and a click
# on the third record copies that one (a file seen for the first time copies whole records).
DATA="$HOME_DIR/data"
"${AS_USER[@]}" mkdir -p "$DATA"
printf '%s\n' 名前,番号 ﾘﾝｺﾞ,F-01 ﾐｶﾝ,F-02 ﾌﾞﾄﾞｳ,F-03 | write_cp932 "$WORK/fruit.csv"
install -o "$RUN_USER" -g "$RUN_GROUP" -m 644 "$WORK/fruit.csv" "$DATA/fruit.csv"
set_clipboard "none" || fail "xclip could not set the clipboard"
run_installed "$DATA/fruit.csv"
wait_main 20 || abort "korvanta FILE showed no main window"
wait_for_clipboard $'ﾘﾝｺﾞ\tF-01' "korvanta fruit.csv opens the file with its first record"
click_in "$ROW_X" "$(row_y 2)"
wait_for_clipboard $'ﾌﾞﾄﾞｳ\tF-03' "a click on the third record"
app_close || abort "the run with a file did not end"

# 4. Where the settings went, and where nothing went.
check "the settings file belongs to $RUN_USER" test "$(stat -c %U "$INI")" = "$RUN_USER"
check "the settings file remembers the row of fruit.csv" test "$(ini_get fruit.csv DataListIndex)" = 2
check "the settings file still remembers the row of staff.csv" \
    test "$(ini_get staff.csv DataListIndex)" = 2
usr_listing >"$WORK/usr-after.txt"
check "nothing under /usr changed" cmp -s "$WORK/usr-before.txt" "$WORK/usr-after.txt" ||
    diff "$WORK/usr-before.txt" "$WORK/usr-after.txt" | head -n 20
check "no settings file under /usr" eval '! find /usr -iname Korvanta.ini | grep -q .'
e2e_finish
