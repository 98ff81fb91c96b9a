#!/usr/bin/env bash
# The encoding chosen for a data file through the 文字ｺｰﾄﾞ submenu of the data menu, by keyboard:
# a code page 932 file of half-width katakana, whose bytes are also valid EUC-JP kanji, read as
# Shift_JIS and as EUC-JP; the copied text is what each encoding makes of the bytes, the choice
# is stored in the file's section and kept after a restart.
#
# Usage: bash test_encoding_choice.sh <Korvanta executable> <work dir>

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init encoding-choice "$@"
e2e_program_folder

printf '%s\n' ｺｰﾄﾞ,ﾅﾏｴｰ ｱｲ,ｳｴ ｶｷ,ｸｹ | write_cp932 "$PROG/kana.csv"
# The first record's item 1 as each encoding reads its bytes.
AS_SJIS=ｱｲ
AS_EUC=$(printf 'ｱｲ' | iconv -f UTF-8 -t CP932 | iconv -f EUC-JP -t UTF-8)
[[ -n "$AS_EUC" && "$AS_EUC" != "$AS_SJIS" ]] || abort "iconv does not read the bytes as EUC-JP kanji"
normal_ini kana.csv 'KoumokuHyoujiNo=1' 'DataListIndex=0'

# choose_encoding DOWNS: the data menu by Alt+D (its first enabled entry active), three up to
# 文字ｺｰﾄﾞ (round past ﾊﾞｰｼﾞｮﾝ情報 and ﾍﾙﾌﾟ), the submenu by Right, and its entry DOWNS below
# 自動判別 by Return.
choose_encoding() {
    key alt+d
    settle
    key Up Up Up Right
    settle
    local i
    for ((i = 0; i < $1; i++)); do key Down; done
    key Return
    settle
}

# copy_first_row: the first data row copied by a click, after something else was on the
# clipboard.
copy_first_row() {
    set_clipboard none || fail "xclip could not set the clipboard"
    click_in "$ROW_X" "$(row_y 0)"
}

app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "$AS_SJIS" "kana.csv opened, detected as code page 932"

choose_encoding 1
poll 50 eval '[[ "$(ini_get kana.csv MojiCode)" == SJIS ]]'
check "Shift_JIS is stored in the file's section" eval '[[ "$(ini_get kana.csv MojiCode)" == SJIS ]]'
copy_first_row
wait_for_clipboard "$AS_SJIS" "read as Shift_JIS"

choose_encoding 4
poll 50 eval '[[ "$(ini_get kana.csv MojiCode)" == EUCJP ]]'
check "EUC-JP is stored in the file's section" eval '[[ "$(ini_get kana.csv MojiCode)" == EUCJP ]]'
screenshot "$WORK/euc-jp.png"
copy_first_row
wait_for_clipboard "$AS_EUC" "read again as EUC-JP"

# After a restart the file opens in the encoding chosen.
app_close
check "EUC-JP is still stored after closing" eval '[[ "$(ini_get kana.csv MojiCode)" == EUCJP ]]'
set_clipboard none || fail "xclip could not set the clipboard"
app_start || e2e_finish
double_click_in "$ROW_X" "$(row_y 0)"
wait_for_clipboard "$AS_EUC" "opened after a restart, still EUC-JP"

check "the program still runs" app_alive
e2e_finish
