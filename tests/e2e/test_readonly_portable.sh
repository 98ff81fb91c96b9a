#!/usr/bin/env bash
# A portable program folder prepared with its settings and then made read-only (a write-protected
# stick, a shared network folder), run by an unprivileged user: the program starts with the
# prepared settings (no manual, the prepared folder, options and per-file state); what closing
# writes goes to the user's configuration folder, the prepared file stays as it was, and the next
# start reads the user's copy.
#
# Usage: bash test_readonly_portable.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init readonly-portable "$@"
e2e_program_folder
e2e_run_as_user

# The data lies in a folder of its own, so that the folder shown comes from the settings.
DATA="$USER_WORK/data"
rm -rf -- "$DATA"
mkdir -p "$DATA"
printf '%s\n' 品名,品番 ﾘﾝｺﾞ,A-01 ﾐｶﾝ,A-02 | write_cp932 "$DATA/goods.csv"
# The prepared settings: folder pane hidden and not always on top (a first start would show the
# manual, the pane and a topmost window in the program folder); goods.csv copies its second item
# and opens on its first row.
{
    normal_tool_section | sed "s|^FilePath=.*|FilePath=$DATA/|"
    printf '%s\n' '[goods.csv]' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
} | write_ini
PREPARED="$WORK/prepared.ini"
cp -- "$INI" "$PREPARED"

# Read-only for the user: root owns the folder (run by root), or its write bits are off.
if [[ $(id -u) -ne 0 ]]; then
    chmod a-w "$PROG"
    trap 'chmod u+w "$PROG"; e2e_cleanup' EXIT
fi
check "the user cannot write into the program folder" \
    eval '! "${E2E_RUN_AS[@]}" touch "$PROG/probe" 2>/dev/null'
USER_INI="$USER_HOME/.config/korvanta/Korvanta.ini"

is_above() { net_wm_state "$WID" | grep -q _NET_WM_STATE_ABOVE; }
main_or_manual() { [[ -n "$(program_windows Korvanta)$(program_windows 説明書)" ]]; }

# start_without_manual WHAT: starts the program and checks that its main window comes up with no
# manual (which a start without settings shows first); a manual is closed to go on.
start_without_manual() {
    app_launch
    poll 200 main_or_manual
    local manual
    manual=$(program_windows 説明書 | head -n 1)
    if [[ -n "$manual" ]]; then
        fail "$1 shows the manual, as a start without settings does"
        activate "$manual"
        close_window "$manual"
    else
        pass "$1 shows no manual"
    fi
    wait_main 20 || e2e_finish
    settle
    check "$1: no manual beside the main window" test -z "$(other_window 説明書)"
}

# 1. The first run reads the prepared file.
set_clipboard none || fail "xclip could not set the clipboard"
start_without_manual "the start with a prepared settings file"
check "the program runs as an unprivileged user ($(stat -c %U "/proc/$APP_PID"))" \
    test "$(stat -c %u "/proc/$APP_PID")" != 0
check "the window is not always on top, as prepared" eval '! is_above'
# goods.csv is the only file of the prepared folder: opening it copies its stored first row's
# second item; a click on the second row copies that one.
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-01" "goods.csv of the prepared folder, opened on its stored row"
click_in "$ROW_X" "$(row_y 1)"
wait_for_clipboard "A-02" "a click on the second row"
app_close || e2e_finish

check "the prepared settings file is unchanged" cmp -s "$PREPARED" "$INI"
check "closing wrote the user's copy $USER_INI" test -f "$USER_INI"
INI=$USER_INI
FOLDER=$(ini_get Tool FilePath)
check "the user's copy holds the prepared folder ($FOLDER)" test "${FOLDER%/}" = "$DATA"
check "the user's copy keeps goods.csv's copy item" test "$(ini_get goods.csv KoumokuHyoujiNo)" = 2
check "the user's copy holds the row selected last" test "$(ini_get goods.csv DataListIndex)" = 1

# 2. The next run reads the user's copy: goods.csv opens on the row selected last.
set_clipboard none || fail "xclip could not set the clipboard"
start_without_manual "the second start"
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "A-02" "goods.csv opened on the row stored in the user's copy"
app_close || e2e_finish
check "the prepared settings file is still unchanged" cmp -s "$PREPARED" "$PROG/Korvanta.ini"
e2e_finish
