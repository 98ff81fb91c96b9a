#!/usr/bin/env bash
# Files and folders whose names are code page 932 bytes (as unpacked from a Windows archive) are
# listed under their Japanese names, open, and are remembered and handed over by their real bytes:
# - the remembered folder データ (bytes 83 66 81 5B 83 5E) is entered at start-up and its file
#   住所録.csv (bytes 8F 5A 8F 8A 98 5E 2E 63 73 76) is listed, opens and copies its rows;
# - the file's state is stored in its section [住所録.csv] and comes back after a restart;
# - the folder list shows the sub-folder 表計算 (95 5C 8C 76 8E 5A, a 0x5C second byte) and
#   enters it; its file 名簿.csv opens;
# - a second start given the file's path in those bytes hands it over to the running copy, which
#   opens it.
#
# Usage: bash test_sjis_names.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
E2E_TIME_LIMIT=200
e2e_init sjis-names "$@"
e2e_program_folder

TAB=$'\t'
DATA="$PROG/$(printf '\x83\x66\x81\x5B\x83\x5E')"
SUB="$DATA/$(printf '\x95\x5C\x8C\x76\x8E\x5A')"
ADDRESSES="$DATA/$(printf '\x8F\x5A\x8F\x8A\x98\x5E.csv')"
MEMBERS="$SUB/$(printf '\x96\xBC\x95\xEB.csv')"
mkdir -p -- "$SUB" || abort "cannot make the folders"
printf '%s\n' 氏名,電話 山田,03-1111 佐藤,03-2222 | write_cp932 "$ADDRESSES"
printf '%s\n' 会員,番号 ｱｵｷ,M-01 ﾊﾞﾊﾞ,M-02 | write_cp932 "$MEMBERS"
check "the file's name is not valid UTF-8" eval '! basename -- "$ADDRESSES" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1'

# The remembered folder is the one named データ (the settings file is code page 932 text, so the
# path's bytes in it are the folder's own).
normal_tool_section | sed "s|^FilePath=.*|FilePath=$PROG/データ/|" | write_ini

# A screenshot of what a person sees at this step, kept in the work folder.
list_shot() { screenshot "$WORK/$1.png"; }

# --- first start: the remembered folder, the file listed, opened and copied
app_start || e2e_finish
list_shot file-list
set_clipboard none
open_and_copy 0 1
check "住所録.csv is listed, opens, and its second row is copied (got '$ROW_TEXT')" \
    test "$ROW_TEXT" = "佐藤${TAB}03-2222"
app_close || e2e_finish
check "the file's section [住所録.csv] remembers the row (DataListIndex=$(ini_get 住所録.csv DataListIndex))" \
    eval '[[ "$(ini_get 住所録.csv DataListIndex)" == 1 ]]'
check "the folder is remembered as データ ($(ini_get Tool FilePath))" \
    eval '[[ "$(ini_get Tool FilePath)" == "$PROG/データ"?(/) ]]'
check "the section's name in the settings file is the file name's own bytes" \
    grep -qF -- "[$(basename -- "$ADDRESSES")]" "$INI"

# --- restart: the remembered folder and file come back, opening restores the row
set_clipboard none
start_and_open "佐藤${TAB}03-2222" "after a restart 住所録.csv opens at its remembered row"

# --- the folder list shows 表計算 and enters it
key F2
settle
click_tool 1 # the folder pane
settle
list_shot folder-pane
# A line of the folder list (its first shown line), then its last line: the only sub-folder.
click_in "$ROW_X" 108
key End Return
settle
list_shot sub-folder
click_tool 1 # the folder pane closed again: the file list at its usual place
settle
set_clipboard none
open_and_copy 0 0
check "the folder list entered 表計算, whose 名簿.csv opens (got '$ROW_TEXT')" \
    test "$ROW_TEXT" = "ｱｵｷ${TAB}M-01"

# --- a second start given the file's path in code page 932 bytes hands it over
key F2
settle
set_clipboard none
start_second handover "$ADDRESSES"
SECOND_SHOWN=""
second_ends "handing over 住所録.csv" || e2e_finish
wait_for_clipboard "佐藤${TAB}03-2222" "the running copy opened the handed-over 住所録.csv at its remembered row"
app_close || e2e_finish
check "after the hand-over the remembered folder is データ again ($(ini_get Tool FilePath))" \
    eval '[[ "$(ini_get Tool FilePath)" == "$PROG/データ"?(/) ]]'

e2e_finish
