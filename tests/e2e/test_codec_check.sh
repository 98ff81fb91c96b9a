#!/usr/bin/env bash
# Without a working Shift_JIS converter (a Qt built without ICU, ICU's data missing: here ICU's
# ucnv_open made to fail for the program) every Japanese file and setting would read as U+FFFD
# and empty. The program refuses to start instead: it says why on stderr and in a message box
# titled "Korvanta", shows no main window, ends with status 1 after OK, and leaves the settings
# file and the runtime folder alone.
#
# Usage: bash test_codec_check.sh <Korvanta executable> <work dir>
# Needs a C compiler and nm (binutils) for the stand-in library.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_init codec-check "$@"
e2e_program_folder
write_goods 1
normal_ini goods.csv 'KoumokuHyoujiNo=1'

# The ICU library the program uses names its functions with its version ("ucnv_open_72").
ICUUC=$(ldd "$PROG/Korvanta" | awk '$1 ~ /^libicuuc\.so/ { print $3 }')
[[ -n "$ICUUC" ]] || abort "the program is not linked with ICU (libicuuc)"
OPEN=$(nm -D --defined-only "$ICUUC" | awk '$3 ~ /^ucnv_open(_[0-9]+)?$/ { print $3; exit }')
[[ -n "$OPEN" ]] || abort "no ucnv_open in $ICUUC"
cat >"$WORK/noconv.c" <<EOF
#include <stddef.h>
/* No converter can be opened: U_FILE_ACCESS_ERROR, as when ICU's data is missing. */
void* $OPEN(const char* name, int* status)
{
    (void)name;
    if (status)
        *status = 4;
    return NULL;
}
EOF
cc -shared -fPIC -o "$WORK/noconv.so" "$WORK/noconv.c" || abort "cannot build the stand-in library"

INI_MD5=$(md5sum <"$INI")
LD_PRELOAD="$WORK/noconv.so" app_launch
BOX=$(wait_for_window Korvanta 100)
check "a window titled Korvanta appears" test -n "$BOX"
[[ -n "$BOX" ]] || e2e_finish
check "it is a message box, not the main window" \
    eval 'xprop -id "$BOX" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG'
check "it is the program's only window" test "$(program_windows Korvanta | wc -l)" = 1
check "stderr says that the Shift_JIS converter is missing" \
    grep -q "Shift_JIS (コードページ 932) の文字コード変換が使えないので、起動できません。" "$APP_LOG"
check "the program waits for OK" app_alive
screenshot "$WORK/refused.png"
activate "$BOX"
key Return
if wait_gone "$APP_PID" 100; then
    wait "$APP_PID"
    RC=$?
    APP_PID=""
    check "the program ended with status 1 after OK (got $RC)" test "$RC" = 1
else
    fail "the program still runs 10 s after OK"
fi
check "the settings file is unchanged" test "$(md5sum <"$INI")" = "$INI_MD5"
check "nothing was put into the runtime folder" test -z "$(ls -A "$RUNTIME")"

# The same program with its converter starts as usual.
app_start || e2e_finish
check "with the converter the main window comes" window_shown
app_term
e2e_finish
