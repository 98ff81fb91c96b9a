#!/usr/bin/env bash
# Files as Linux makes them, from end to end with real input under a window manager: an LF-only
# UTF-8 data file named with the wave dash U+301C, in a folder named with it too (both outside
# code page 932), is opened and a row is clicked; after closing, the settings file on disk holds
# the folder and the file's state, and the next start restores the selected row.
#
# Usage: bash test_linux_files.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init linux-files "$@"
e2e_program_folder

# The folder 売上〜2024 and the file 売上〜6月.csv, UTF-8 with LF line ends:
# 品名,品番 then ﾘﾝｺﾞ,A-01 / ﾐｶﾝ,A-02 / ﾊﾞﾅﾅ,A-03.
FOLDER="$PROG/売上〜2024"
FILE="売上〜6月.csv"
mkdir -p "$FOLDER" || exit 1
printf '品名,品番\nﾘﾝｺﾞ,A-01\nﾐｶﾝ,A-02\nﾊﾞﾅﾅ,A-03\n' >"$FOLDER/$FILE"

# In the settings file (code page 932) a character the code page lacks is the mark 87 90, its
# code point in hex and ";". 売上 is 94 84 8F E3, 月 8C 8E. The file is written byte by byte,
# since the wave dash has no code page 932 form for write_ini to convert to.
MARK=$'\x87\x90'
URIAGE=$'\x94\x84\x8f\xe3'
INI_FOLDER="$PROG/${URIAGE}${MARK}301C;2024/"
INI_SECTION="${URIAGE}${MARK}301C;6"$'\x8c\x8e'".csv"
# A normal start at the top left with the folder pane hidden, on that folder, nothing selected.
normal_tool_section | LC_ALL=C sed "s|^FilePath=.*|FilePath=$INI_FOLDER|; s/\$/\r/" >"$INI"

# The settings file's section of the data file, as it is on disk.
file_section() {
    LC_ALL=C awk -v s="[$INI_SECTION]" 'index($0, s) == 1 { on = 1; next } /^\[/ { on = 0 } on' "$INI"
}
folder_stored() { LC_ALL=C grep -qF "FilePath=${INI_FOLDER%/}"$'\r' "$INI"; }
section_stored() { LC_ALL=C grep -qF "[$INI_SECTION]" "$INI"; }
row_stored() { file_section | grep -q '^DataListIndex=1'; }

# --- first run: open the file, click the second row, go back to the file list, close
app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
# Nothing remembered yet: the first row is selected and copied whole (TAB-joined).
wait_for_clipboard $'ﾘﾝｺﾞ\tA-01' "after opening the LF-only file"
click_in "$ROW_X" "$(row_y 1)"
wait_for_clipboard $'ﾐｶﾝ\tA-02' "after a click on the second row"
key F2 # back to the file list: the file's state is written
settle
app_close

check "the folder is in the settings file" folder_stored
check "the file has a section of its own" section_stored
check "the selected row is stored ($(file_section | tr -d '\r' | tr '\n' ' '))" row_stored

# --- second run: the folder is shown again, the file opens on the remembered row
check "xclip itself sets the clipboard" set_clipboard other
app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard $'ﾐｶﾝ\tA-02' "after opening the file again"
check "the program still runs" app_alive
app_close

((E2E_FAILED == 0)) && echo "PASS"
e2e_finish
