#!/usr/bin/env bash
# The file list sees its folder as it is, not as it was when the folder was listed:
# - files saved into the folder after start-up, while a search key was being typed, are listed
#   under the key as it goes on, and the first of them opens;
# - back from the data view the opened file is still selected: F2 opens it again;
# - a file deleted from the folder is gone at the next key: the key's first row is then the file
#   that is still there, and it opens.
#
# Usage: bash test_folder_changes.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init folder-changes "$@"
e2e_program_folder

write_goods
{
    normal_tool_section
    printf '%s\n' '[fresh1.csv]' 'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
    printf '%s\n' '[fresh2.csv]' 'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=2' 'DataListIndex=0'
} | write_ini

COMBO_X=100
COMBO_Y=84

# no_message_box: the program shows no window titled Korvanta besides its main window.
no_message_box() { [[ -z "$(other_window Korvanta)" ]]; }

app_start || e2e_finish
click_in "$COMBO_X" "$COMBO_Y"
type_text "fres"
settle

# Saved by another program while the key is typed.
printf '%s\n' name,code one,F1-01 | write_cp932 "$PROG/fresh1.csv"
printf '%s\n' name,code two,F2-01 | write_cp932 "$PROG/fresh2.csv"
type_text "h"
settle
set_clipboard "none"
click_in "$ROW_X" "$(row_y 0)"
key Return
wait_for_clipboard "F1-01" "fresh1.csv, saved after start-up, is listed under the key 'fresh' and opens"
check "no message box after opening fresh1.csv" no_message_box

# Back to the file view and into the data view again with F2: the opened file stays selected.
key F2
settle
set_clipboard "none"
key F2
wait_for_clipboard "F1-01" "back from the data view, F2 opens fresh1.csv again"
key F2
settle

# Deleted by another program: the key typed again lists only fresh2.csv.
rm -f -- "$PROG/fresh1.csv"
click_in "$COMBO_X" "$COMBO_Y"
key End BackSpace
type_text "h"
settle
set_clipboard "none"
click_in "$ROW_X" "$(row_y 0)"
key F2
wait_for_clipboard "F2-01" "after fresh1.csv is deleted, the first row under the key is fresh2.csv"
check "no message box after opening the first row" no_message_box
check "the program still runs" app_alive
app_close
e2e_finish
