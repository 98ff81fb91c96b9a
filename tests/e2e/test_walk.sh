#!/usr/bin/env bash
# A walk through everything a person does with Korvanta, in one session and a restart: the first
# start, the folder pane, opening by keyboard and by double click, copying by mouse and keys, the
# item chooser from the file list and from the data list (the whole record too), typing and
# picking search keys, sorting (both directions and by a column header), the all-items view, the
# Web and mail button, the file commands, both history deletions, closing and starting again with
# everything restored, and a second copy handing over.
#
# Usage: bash test_walk.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=280
e2e_init walk "$@"
e2e_program_folder

write_cp932 "$PROG/people.csv" <<'DATA'
name,code,mail,web
Aoki,P-01,aoki@example.jp,http://www.example.jp/aoki/
Baba,P-02,baba@example.jp,
Chiba,P-03,chiba@example.jp,http://www.example.jp/chiba/
Doi,P-04,doi@example.jp,
DATA
write_cp932 "$PROG/zoo.csv" <<'DATA'
animal
ｷﾘﾝ
DATA
TAB=$'\t'
COMBO_X=100
COMBO_Y=84
recording_opener 0

# Waits for the data list to have taken a change of rows and clicks row $1, making sure the click
# copies by emptying the clipboard first.
copy_row() {
    set_clipboard "-" || fail "xclip could not set the clipboard"
    click_in "$ROW_X" "$(row_y "$1")"
}

# chooser_pick ROW DOWNS: selects data list row ROW with a click, opens the chooser on it with a
# right click, then DOWNS times Down and Return.
chooser_pick() {
    click_in "$ROW_X" "$(row_y "$1")"
    set_clipboard "-"
    right_click_in "$ROW_X" "$(row_y "$1")"
    poll 30 popup_shown || { fail "the chooser did not open"; return 1; }
    local i keys=()
    for ((i = 0; i < $2; i++)); do keys+=(Down); done
    key "${keys[@]}" Return
}

# --- first start: the manual window, then the main window with the folder pane
check "there is no settings file before the first start" test ! -e "$INI"
app_launch
MANUAL=$(wait_for_window 説明書 150)
check "the first start shows the manual window 説明書" test -n "$MANUAL"
if [[ -n "$MANUAL" ]]; then
    close_window "$MANUAL"
fi
wait_main || e2e_finish
check "the main window is shown after the manual window" window_shown

# The folder pane is open: the file list starts below it. Close the pane with tool button 1.
click_tool 1
settle

# --- open by keyboard, copy by mouse and keys (the whole record at first)
click_in "$ROW_X" "$(row_y 0)"
key Return
settle
copy_row 0
wait_for_clipboard "Aoki${TAB}P-01${TAB}aoki@example.jp${TAB}http://www.example.jp/aoki/" \
    "opened people.csv by Return, a click on the first row copies the whole record"
key Down
wait_for_clipboard "Baba${TAB}P-02${TAB}baba@example.jp${TAB}" "Down copies the next record"

# --- the chooser on a row: item 2, item 4 (Web), item 3 (mail), the whole record
chooser_pick 2 2
wait_for_clipboard "P-03" "the chooser's item 2 on row 3 copies its code"
chooser_pick 2 4
wait_for_clipboard "http://www.example.jp/chiba/" "the chooser's item 4 copies the Web address"
: >"$OPENED"
click_tool 6
check "the Web button opens the copied address" poll 50 grep -qx "http://www.example.jp/chiba/" "$OPENED"
restore
chooser_pick 2 3
wait_for_clipboard "chiba@example.jp" "the chooser's item 3 copies the mail address"
: >"$OPENED"
click_tool 6
check "the mail button opens a mailto: address" poll 50 grep -qx "mailto:chiba@example.jp" "$OPENED"
restore

# --- typing a search key narrows the list (copy item 3, the mail address)
click_in "$COMBO_X" "$COMBO_Y"
type_text "ba"
settle
copy_row 0
wait_for_clipboard "baba@example.jp" "typing 'ba' narrows the list: first row Baba"
copy_row 1
wait_for_clipboard "chiba@example.jp" "the next row of the narrowed list is Chiba"

# --- re-list, then both sorts
click_tool 1
settle
copy_row 0
wait_for_clipboard "aoki@example.jp" "a re-list shows every record again"
click_tool 4
settle
copy_row 0
wait_for_clipboard "doi@example.jp" "descending sort: Doi first"
click_tool 5
settle
copy_row 0
wait_for_clipboard "aoki@example.jp" "ascending sort: Aoki first"

# --- picking the key 'ba' from the history in the drop-down
click_in "$COMBO_X" "$COMBO_Y"
key ctrl+a BackSpace
settle
key alt+Down
poll 30 popup_shown
key Down Return
settle
copy_row 0
wait_for_clipboard "baba@example.jp" "picking 'ba' from the history narrows the list again"

# --- deleting this file's history of search keys (Yes in the confirmation)
menu_pick "$MENU_DATA_X" "$(menu_entry_y 4)"
BOX=$(wait_for_window 検索履歴データーの削除 50)
check "deleting this file's history asks first" test -n "$BOX"
[[ -n "$BOX" ]] && { activate "$BOX"; key Return; }
check "the confirmation closes" poll 50 eval '[[ -z "$(other_window 検索履歴データーの削除)" ]]'
activate
copy_row 3
wait_for_clipboard "doi@example.jp" "after deleting the history the list shows every record"

# --- the file commands, from the file view (F2): edit, information, file manager
key F2
settle
click_in "$ROW_X" "$(row_y 0)"
: >"$OPENED"
key F5
check "F5 hands people.csv to the editor" poll 50 grep -qx "$PROG/people.csv" "$OPENED"
check "the window is minimized while the editor runs" poll 50 is_hidden
restore
menu_pick "$MENU_FILE_X" "$(menu_entry_y 5)"
INFO=$(wait_for_window Korvanta 50)
check "ﾌｧｲﾙの情報 shows a box titled Korvanta" test -n "$INFO"
if [[ -n "$INFO" ]]; then
    activate "$INFO"
    key Return
    check "the information box closes with Return" poll 50 eval '[[ -z "$(other_window Korvanta)" ]]'
fi
activate
: >"$OPENED"
menu_pick "$MENU_FILE_X" "$(menu_entry_y 6)"
check "ｴｸｽﾌﾟﾛｰﾗｰ起動 hands the folder to the file manager" poll 50 grep -q "^\(file://\)\?$PROG/\?$" "$OPENED"
restore

# --- the all-items view through the file list's chooser (its entry 全項目ﾃﾞｰﾀｰ)
click_in "$ROW_X" "$(row_y 0)"
right_click_in "$ROW_X" "$(row_y 0)"
poll 30 popup_shown || fail "the file list's chooser did not open"
key Up Up Return
settle
copy_row_in_view() {
    set_clipboard "-" || fail "xclip could not set the clipboard"
    click_in "$ROW_X" "$(view_row_y "$1")"
}
copy_row_in_view 1
wait_for_clipboard "baba@example.jp" "the file list's chooser opens the all-items view; a click copies the remembered item"

# --- a column sort: a click on the first column's header sorts by name one way, a second click
# the other way. The file ends with CR LF, so its last record is the empty one the format
# defines: it sorts before every name ascending and after them descending.
ROWS=()
read_rows() {
    ROWS=()
    local i
    for i in 0 1 2 3 4; do
        copy_row_in_view "$i"
        poll 20 eval '[[ "$(clipboard)" != "-" ]]' || true
        ROWS+=("$(clipboard)")
    done
}
ASCENDING="|aoki@example.jp|baba@example.jp|chiba@example.jp|doi@example.jp"
DESCENDING="doi@example.jp|chiba@example.jp|baba@example.jp|aoki@example.jp|"
click_in "$ROW_X" "$HEADER_Y"
settle
read_rows
FIRST_ORDER=$(IFS='|'; echo "${ROWS[*]}")
check "a click on the name header sorts by name ($FIRST_ORDER)" \
    eval '[[ "$FIRST_ORDER" == "$ASCENDING" || "$FIRST_ORDER" == "$DESCENDING" ]]'
click_in "$ROW_X" "$HEADER_Y"
settle
read_rows
SECOND_ORDER=$(IFS='|'; echo "${ROWS[*]}")
EXPECTED=$ASCENDING
[[ "$FIRST_ORDER" == "$ASCENDING" ]] && EXPECTED=$DESCENDING
check "a second click on the name header reverses the order ($SECOND_ORDER)" \
    eval '[[ "$SECOND_ORDER" == "$EXPECTED" ]]'
# Baba is the third row either way.
BABA_ROW=2
copy_row_in_view "$BABA_ROW"
wait_for_clipboard "baba@example.jp" "Baba is row $BABA_ROW of the sorted view"

# --- the chooser in the all-items view: item 1, then the whole record
set_clipboard "-"
right_click_in "$ROW_X" "$(view_row_y "$BABA_ROW")"
poll 30 popup_shown || fail "the chooser did not open"
key Down Return
wait_for_clipboard "Baba" "the chooser's item 1 on the sorted view copies Baba's name"
set_clipboard "-"
right_click_in "$ROW_X" "$(view_row_y "$BABA_ROW")"
poll 30 popup_shown || fail "the chooser did not open"
key Up Return
wait_for_clipboard "Baba${TAB}P-02${TAB}baba@example.jp${TAB}" "the chooser's 全項目ﾃﾞｰﾀｰ (its last entry on a data list) copies Baba's whole record"

# Back to the file view, which stores the file's view and selection.
key F2
settle

# --- closing writes the settings; a restart brings everything back
app_close
check "closing writes the settings file again" test -e "$INI"
check "the folder pane's state is stored closed (Dir1V=$(ini_get Tool Dir1V))" eval '[[ "$(ini_get Tool Dir1V)" == False ]]'
check "the folder is stored ($(ini_get Tool FilePath))" eval '[[ "$(ini_get Tool FilePath)" == "$PROG"?(/) ]]'
check "the selected file is stored (FileListIndex=$(ini_get Tool FileListIndex))" eval '[[ "$(ini_get Tool FileListIndex)" == 0 ]]'
check "people.csv's view is stored as the all-items view" eval '[[ "$(ini_get people.csv SentakuKoumokuNo)" == -1 ]]'
check "people.csv's selection is stored as Baba (DataListIndex=$(ini_get people.csv DataListIndex))" eval '[[ "$(ini_get people.csv DataListIndex)" == 1 ]]'
check "people.csv's copy item is stored as the whole record (KoumokuHyoujiNo=$(ini_get people.csv KoumokuHyoujiNo))" eval '[[ "$(ini_get people.csv KoumokuHyoujiNo)" == 0 ]]'

app_launch
wait_main || e2e_finish
check "a normal start shows no manual window" test -z "$(other_window 説明書)"
# Open by a double click: the folder pane stays closed, people.csv is the first file.
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "Baba${TAB}P-02${TAB}baba@example.jp${TAB}" "after a restart a double click opens people.csv in the all-items view with Baba selected and copied"
copy_row_in_view 3
wait_for_clipboard "Doi${TAB}P-04${TAB}doi@example.jp${TAB}" "the restored view copies the whole record of another row"

# --- a second copy hands over to this one and ends
SECOND_LOG="$WORK/second.log"
(cd "$PROG" && PATH="$BIN:$PATH" XDG_RUNTIME_DIR="$RUNTIME" exec ./Korvanta) >"$SECOND_LOG" 2>&1 &
SECOND=$!
if wait_gone "$SECOND" 100; then
    wait "$SECOND"
    check "a second copy ends with status 0" test $? = 0
else
    fail "a second copy still runs after 10 s"
    stop_pid "$SECOND"
fi
check "the first copy's window is active after the hand-over" poll 50 is_active
check "the first copy still runs" app_alive

# --- deleting every history and setting removes the settings file until closing
menu_pick "$MENU_DATA_X" "$(menu_entry_y 5)"
BOX=$(wait_for_window " 全検索履歴データーの削除" 50)
check "deleting every history asks first" test -n "$BOX"
[[ -n "$BOX" ]] && { activate "$BOX"; key Return; }
check "the settings file is gone after Yes" poll 50 test ! -e "$INI"

app_close
check "closing after the deletion writes a settings file" test -e "$INI"
app_launch
wait_main || e2e_finish
MIN_W=180
MIN_H=48
client_geometry
check "after the deletion and a restart the window is usable (client ${WIDTH}x${HEIGHT})" eval '((WIDTH >= MIN_W && HEIGHT >= MIN_H))'
app_close && pass "the program closes"
e2e_finish
