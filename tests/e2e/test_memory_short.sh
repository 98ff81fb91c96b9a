#!/usr/bin/env bash
# Running out of memory ends no command, and no program: with the address space of the running
# program limited (prlimit) to what it uses plus a little, turning "あいまい検索" on (its folded copy
# of every text does not fit) and sorting the list each show the memory message and leave the
# list as it was; the option goes back off and is written so at closing. Then the file is opened
# with the option on, with room for what the first open took but not for the folded texts: the
# file opens, the message comes, and the option goes off.
#
# Usage: bash test_memory_short.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init memory-short "$@"
e2e_program_folder
command -v prlimit >/dev/null || abort "prlimit (util-linux) is needed"

# 200,000 records of about 150 characters: some 60 MB of text in memory, and as much again for
# its folded copy, against a few MB of room.
RECORDS=200000
awk -v n="$RECORDS" 'BEGIN {
    pad = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    print "番号,名前,備考"
    for (r = 1; r <= n; r++)
        printf "N%06d,名前%06d,%s%s%06d\n", r, r, pad, pad, r
}' | write_cp932 "$PROG/big.csv"
truncate -s -2 "$PROG/big.csv" || abort "cannot shorten big.csv"
FIRST="名前000001"

{
    normal_tool_section | sed 's/^\[Tool\]$/[Tool]\nGyouSeigenNashi=True\nAimaiKensaku=False/'
    printf '%s\n' '[big.csv]' 'SentakuKoumokuNo=2' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
} | write_ini

vm_size_kb() { sed -n 's/^VmSize:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$APP_PID/status"; }

# limit_memory MB: the program may map only MB more than it has mapped now.
limit_memory() {
    local bytes=$((($(vm_size_kb) + $1 * 1024) * 1024))
    prlimit --pid "$APP_PID" --as="$bytes:" || abort "prlimit could not limit the program"
    log "address space limited to $((bytes >> 20)) MB"
}
unlimit_memory() { prlimit --pid "$APP_PID" --as=unlimited: || fail "prlimit could not lift the limit"; }

# memory_message WHAT: the message box came up over the main window; Return dismisses it.
memory_message() {
    if poll 100 popup_shown; then pass "$1: a message came up"; else fail "$1: no message came up"; fi
    screenshot "$WORK/$2.png"
    key Return
    poll 50 eval '! popup_shown' || fail "$1: the message stayed"
}

# first_row_stays WHAT: the list still starts with the first record: a click on its first row
# copies it.
first_row_stays() {
    set_clipboard "none" || fail "xclip could not set the clipboard"
    click_in "$ROW_X" "$(row_y 0)"
    wait_for_clipboard "$FIRST" "$1"
}

# One malloc arena, so that the address space the program takes is the same from run to run.
E2E_RUN_AS=(env MALLOC_ARENA_MAX=1)
start_and_open "$FIRST" "opening big.csv, its first record selected"
PEAK_KB=$(sed -n 's/^VmPeak:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$APP_PID/status")
limit_memory 6

# The option is the fifth entry of the tool menu.
click_tool 3
poll 30 popup_shown || fail "the tool menu did not open"
key Down Down Down Down Down Return
memory_message "turning the forgiving search on without the memory for it" forgiving
check "the program lives after the forgiving search's texts did not fit" app_alive
first_row_stays "the list is as it was after the forgiving search's texts did not fit"

# Descending, from the data menu: the sort's room does not fit either.
menu_pick "$MENU_DATA_X" "$(menu_entry_y 0)"
memory_message "sorting without the memory for it" sort
check "the program lives after the sort did not fit" app_alive
first_row_stays "the list keeps its file order after the sort did not fit"

unlimit_memory
check "the program still runs" app_alive
app_close
check "the option went back off and is written so" test "$(ini_get Tool AimaiKensaku)" = False

# The folded texts take as much again as the records' text, more than the read held at its peak
# beyond them.
sed -i 's/^AimaiKensaku=False/AimaiKensaku=True/' "$INI"
E2E_RUN_AS=(env MALLOC_ARENA_MAX=1 prlimit --as=$(((PEAK_KB + 16 * 1024) * 1024)):)
app_start || e2e_finish
click_in "$ROW_X" "$(row_y 0)"
key Return
memory_message "opening with the forgiving search on without the memory for its texts" open
first_row_stays "the file is open after its folded texts did not fit"
app_close
check "the option went back off at the open and is written so" test "$(ini_get Tool AimaiKensaku)" = False
e2e_finish
