#!/usr/bin/env bash
# The program as a screen reader sees it: its accessibility tree read over AT-SPI (pyatspi) on a
# private session bus with an accessibility bus of its own. Every tool button is a push button
# named with its command, enabled as the button is, and pressing it through the accessibility
# action runs its command as a click does (a file opens and its row lands on the clipboard, the
# folder pane opens and is stored); no picture is left without a name; the search box and the
# lists carry their names; a copy reaches the screen reader as a name change of the status label.
# The manual window's close button, link and text are named and reached with Tab, and work
# through their actions.
#
# The tree of the main window (and of the manual) is left in the work folder as tree-*.txt.
#
# Usage: bash test_accessibility.sh <Korvanta executable> <work dir>

# A session bus of our own, so that the accessibility bus started below is ours alone.
if [[ -z "${KORVANTA_A11Y_SESSION:-}" ]]; then
    command -v dbus-run-session >/dev/null 2>&1 || { echo "FAIL: dbus-run-session is not installed" >&2; exit 1; }
    KORVANTA_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init accessibility "$@"
e2e_program_folder

# Debian's own interpreter, which the python3-pyatspi package serves.
PYTHON=/usr/bin/python3
ATSPI="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/atspi_tree.py"
LAUNCHER=/usr/libexec/at-spi-bus-launcher
[[ -x "$LAUNCHER" ]] || abort "at-spi-bus-launcher is not installed (package at-spi2-core)"
"$PYTHON" -c 'import pyatspi' 2>/dev/null || abort "pyatspi is not installed (package python3-pyatspi)"

write_goods
normal_ini goods.csv 'KoumokuHyoujiNo=2' 'DataListIndex=0'
recording_opener 0

"$LAUNCHER" --launch-immediately >"$WORK/at-spi.log" 2>&1 &
E2E_PIDS+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

# tree FILE [WINDOW]: the program's tree (or its window WINDOW's) into $WORK/FILE.
TREE=""
tree() {
    TREE="$WORK/$1"
    "$PYTHON" "$ATSPI" tree "$APP_PID" "${@:2}" >"$TREE" 2>"$WORK/atspi-error.log"
}

# node ROLE NAME [STATE]: the last tree has a node of ROLE named NAME (with STATE, or without it
# when STATE is !STATE).
node() {
    local line
    line=$(awk -F'\t' -v r="$1" -v n="$2" '$2 == r && $3 == n' "$TREE")
    [[ -n "$line" ]] || return 1
    case ${3:-} in
    "") return 0 ;;
    !*) ! grep -q "${3#!}" <<<"$line" ;;
    *) grep -q "$3" <<<"$line" ;;
    esac
}

# nameless ROLE: the last tree has a node of ROLE without a name.
nameless() { awk -F'\t' -v r="$1" '$2 == r && $3 == "" { found = 1 } END { exit !found }' "$TREE"; }

# press ROLE NAME: the node's accessibility action, as a screen reader's user gives it.
press() { "$PYTHON" "$ATSPI" press "$APP_PID" "$1" "$2" >>"$WORK/atspi-press.log" 2>&1; }

focused_node() { "$PYTHON" "$ATSPI" focus "$APP_PID" 2>/dev/null; }

# wait_tree FILE WINDOW? -- ROLE NAME STATE: reads the tree until the node shows, for up to 5 s.
tree_has() { tree "$1" && node "${@:2}"; }

app_start || e2e_finish
poll 100 tree tree-main.txt
[[ -s "$TREE" ]] || abort "the program's tree could not be read: $(cat "$WORK/atspi-error.log")"
log "the main window's tree is in $TREE"

# --- the tool buttons: push buttons named with their commands, enabled as the buttons are.
BUTTONS=("ﾃﾞｰﾀｰ表示の切替" "ﾌｫﾙﾀﾞｰ窓の表示切替" "他ﾌｫﾙﾀﾞｰの参照" "設定を表示します"
    "降順に並び替え" "昇順に並び替え" "ウェブ・メーラーを開く")
ENABLED_IN_FILE_VIEW=(no yes yes yes no no no)
for i in "${!BUTTONS[@]}"; do
    name=${BUTTONS[$i]}
    check "tool button $i is a push button named $name" node "push button" "$name"
    if [[ ${ENABLED_IN_FILE_VIEW[$i]} == yes ]]; then
        check "tool button $i ($name) is enabled in the file view" node "push button" "$name" enabled
        check "tool button $i ($name) offers its press action" node "push button" "$name" Press
    else
        check "tool button $i ($name) is disabled in the file view" node "push button" "$name" '!enabled'
    fi
done
check "no picture is left without a name" eval '! nameless image'
check "no push button is left without a name" eval '! nameless "push button"'

# --- the search box and the lists carry their names.
check "the search box is named 検索ｷｰ" node "combo box" "検索ｷｰ"
check "the search box's text is named 検索ｷｰ" node "text" "検索ｷｰ"
check "the folder list is named ﾌｫﾙﾀﾞｰ" node list "ﾌｫﾙﾀﾞｰ"
check "the file list is named ﾌｧｲﾙ" node list "ﾌｧｲﾙ"
check "the data list is named ﾃﾞｰﾀｰ" node list "ﾃﾞｰﾀｰ"
check "the all-items view is named 全項目" node tree "全項目"
for role in list tree "combo box"; do
    check "no $role is left without a name" eval "! nameless '$role'"
done

# --- a press on a tool button runs its command: with a file selected, the switch button opens
# it and its remembered row is copied; the copy reaches the screen reader as a name change.
click_in "$ROW_X" "$(row_y 0)"
poll 50 tree_has tree-selected.txt "push button" "ﾃﾞｰﾀｰ表示の切替" enabled
check "selecting a file enables the switch button for the screen reader" node "push button" "ﾃﾞｰﾀｰ表示の切替" enabled
set_clipboard none

WATCH="$WORK/name-changes.txt"
"$PYTHON" "$ATSPI" watch "$APP_PID" 15 >"$WATCH" 2>"$WORK/atspi-watch.log" &
WATCH_PID=$!
E2E_PIDS+=($WATCH_PID)
poll 100 grep -qx ready "$WATCH" || fail "the name-change listener did not start: $(cat "$WORK/atspi-watch.log")"

check "the switch button takes the accessibility press" press "push button" "ﾃﾞｰﾀｰ表示の切替"
wait_for_clipboard "A-01" "the press on the switch button opened goods.csv and copied its row"
announced() { grep -P '^name-changed\tlabel\t.*A-01$' "$WATCH" >/dev/null; }
poll 50 announced
check "the copy reaches the screen reader as the status label's new name" announced
kill "$WATCH_PID" 2>/dev/null

poll 50 tree_has tree-data.txt "push button" "降順に並び替え" enabled
check "in the data view the sort buttons are enabled" node "push button" "昇順に並び替え" enabled
check "in the data view tool button 1 is named for re-listing" node "push button" "元ﾃﾞｰﾀｰを再読込み"

# Sorting descending through the accessibility action: then only ascending is offered.
check "the descending sort button takes the accessibility press" press "push button" "降順に並び替え"
poll 50 tree_has tree-sorted.txt "push button" "降順に並び替え" '!enabled'
check "after the descending sort its button is disabled" node "push button" "降順に並び替え" '!enabled'
check "after the descending sort the ascending one is enabled" node "push button" "昇順に並び替え" enabled

# Back to the file list, and the folder pane opened, each by a press.
check "the switch button takes a press in the data view" press "push button" "ﾃﾞｰﾀｰ表示の切替"
poll 50 tree_has tree-back.txt "push button" "ﾌｫﾙﾀﾞｰ窓の表示切替" enabled
check "the press returned to the file view" node list "ﾌｧｲﾙ" showing
check "the folder button takes the accessibility press" press "push button" "ﾌｫﾙﾀﾞｰ窓の表示切替"
poll 50 tree_has tree-folders.txt list "ﾌｫﾙﾀﾞｰ" showing
check "the press opened the folder pane" node list "ﾌｫﾙﾀﾞｰ" showing
check "a disabled tool button refuses the press" eval '! press "push button" "ウェブ・メーラーを開く"'

# --- the manual window: named controls in the tab order, working through their actions.
activate
key F1
MANUAL=$(wait_for_window 説明書 100)
[[ -n "$MANUAL" ]] || abort "F1 did not show the manual window"
poll 50 tree tree-manual.txt 説明書
log "the manual's tree is in $TREE"
check "the manual's close button is a named push button" node "push button" "閉じる" focusable
check "the manual's link is a named link" node link "${HOME_PAGE:=http://www.example.com/korvanta/}" focusable
check "the manual's text is named 説明文" node text "説明文" focusable
check "the manual leaves no picture without a name" eval '! nameless image'

# Tab walks the close button, the link and the text, and comes round again.
activate "$MANUAL"
seen=""
for _ in 1 2 3 4; do
    seen+="$(focused_node | cut -f 2)|"
    key Tab
    settle
done
log "Tab in the manual: $seen"
check "Tab reaches the close button, the link and the text" eval '[[ "$seen" == *"閉じる|$HOME_PAGE|説明文|"* || "$seen" == *"$HOME_PAGE|説明文|閉じる|"* || "$seen" == *"説明文|閉じる|$HOME_PAGE|"* ]]'

check "the link takes the accessibility press" press link "$HOME_PAGE"
poll 50 eval '[[ "$(opened_lines)" == "$HOME_PAGE" ]]'
check "the press on the link opened the home page" eval '[[ "$(opened_lines)" == "$HOME_PAGE" ]]'
manual_gone() { test -z "$(other_window 説明書)"; }
check "the close button takes the accessibility press" press "push button" "閉じる"
poll 50 manual_gone
check "the press on the close button closed the manual" manual_gone

app_close && pass "the program closes normally"
check "the folder pane opened by a press is stored as open" test "$(ini_get Tool Dir1V)" = True
e2e_finish
