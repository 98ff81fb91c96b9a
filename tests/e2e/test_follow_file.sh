#!/usr/bin/env bash
# Following a data file that another program rewrites, with real input on a real X server and
# "ﾌｧｲﾙが更新されたら、自動で読み直す" on: the open file is rewritten by another process, first
# in place and then by a new file renamed over it. Each time it is read again with its selected
# record kept (Down and Up from it copy the new records 3 and 2), and the re-read itself puts
# nothing on the clipboard. The mark and the selected record are written back at closing.
#
# Usage: bash test_follow_file.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init follow-file "$@"
e2e_program_folder

GOODS="$PROG/goods.csv"
# write_goods_records RECORD...: goods.csv (品名,品番) with the RECORDs, written by another process
# (iconv) into the file itself.
write_goods_records() { printf '%s\n' 品名,品番 "$@" | write_cp932 "$GOODS"; }

write_goods_records ﾘﾝｺﾞ,A-01 ﾐｶﾝ,A-02 ﾊﾞﾅﾅ,B-03 ﾚﾓﾝ,B-04
# The list shows item 1 and copies item 2, with record 2 selected.
{
    normal_tool_section | sed 's/^\[Tool\]$/[Tool]\nJidouSaiyomi=True/'
    printf '%s\n' '[goods.csv]' 'SentakuKoumokuNo=1' 'KoumokuHyoujiNo=2' 'DataListIndex=1'
} | write_ini

inode() { stat -c %i "$GOODS"; }

# read_since_written: the program has read goods.csv since it was last written: its access time
# is not older than its modification time (the file system updates the access time of a file
# read after it was written, unless it is mounted without access times).
read_since_written() { [[ ! "$(stat -c %x "$GOODS")" < "$(stat -c %y "$GOODS")" ]]; }

# wait_for_reread WHAT: waits until the program has read the file again, then checks that the
# re-read copied nothing. Where access times are not kept, the wait runs out after 10 s, which is
# many times the time a change takes to settle; the checks that follow decide.
wait_for_reread() {
    poll 100 read_since_written || log "no access time seen for goods.csv; waited 10 s"
    clipboard_stays "other" "$1: the re-read copies nothing"
}

# The file list holds goods.csv alone; it opens with record 2 selected and copied. A click on
# that row gives the list the keyboard focus (and copies it again).
start_and_open "A-02" "opening goods.csv, record 2 selected"
click_in "$ROW_X" "$(row_y 1)"
wait_for_clipboard "A-02" "a click on the selected row"

# Rewritten in place: the same file, new records 2 and 3.
set_clipboard "other" || fail "xclip could not set the clipboard"
before=$(inode)
write_goods_records ﾘﾝｺﾞ,A-01 ｸﾞﾚｰﾌﾟ,G-02 ﾊﾞﾅﾅ,B-13 ﾚﾓﾝ,B-04
check "written in place: goods.csv kept its inode" test "$(inode)" = "$before"
wait_for_reread "written in place"
# What a person sees now: the new records, record 2 selected, the status line telling the re-read.
screenshot "$WORK/reread-in-place.png"
key Down
wait_for_clipboard "B-13" "written in place: Down from the kept record 2 copies the new record 3"
key Up
wait_for_clipboard "G-02" "written in place: Up copies the new record 2"

# Replaced by a rename, as editors and spreadsheets save: a new file moved over the old one.
set_clipboard "other" || fail "xclip could not set the clipboard"
before=$(inode)
printf '%s\n' 品名,品番 ﾘﾝｺﾞ,A-01 ｸﾞﾚｰﾌﾟ,G-22 ﾊﾞﾅﾅ,B-23 ﾚﾓﾝ,B-04 | write_cp932 "$PROG/goods.tmp"
# A new file's access time can equal its modification time within one tick of the clock; an old
# one tells its first read.
touch -a -d 2001-01-01 "$PROG/goods.tmp" || abort "cannot set the access time of goods.tmp"
mv -f -- "$PROG/goods.tmp" "$GOODS" || abort "cannot rename goods.tmp over goods.csv"
check "replaced by a rename: goods.csv has a new inode" test "$(inode)" != "$before"
wait_for_reread "replaced by a rename"
key Down
wait_for_clipboard "B-23" "replaced by a rename: Down from the kept record 2 copies the new record 3"
key Up
wait_for_clipboard "G-22" "replaced by a rename: Up copies the new record 2"

check "the program still runs" app_alive
app_close
check "the option is written at closing" test "$(ini_get Tool JidouSaiyomi)" = True
check "the selected record 2 is stored at closing" test "$(ini_get goods.csv DataListIndex)" = 1
e2e_finish
