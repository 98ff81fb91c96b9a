# The libraries a portable folder leaves to the system, read from packaging/portable-exclude;
# sourced by scripts/make-portable.sh and its test.
#   load_portable_excludes FILE     fills PORTABLE_EXCLUDES with the file's patterns
#   excluded SONAME                 true when SONAME matches one of them

load_portable_excludes() {
    local line
    PORTABLE_EXCLUDES=()
    while read -r line; do
        line=${line%%#*}
        line=${line//[[:space:]]/}
        [[ -n "$line" ]] && PORTABLE_EXCLUDES+=("$line")
    done <"$1"
}

excluded() {
    local p
    for p in "${PORTABLE_EXCLUDES[@]}"; do
        # shellcheck disable=SC2053 # a pattern on purpose
        [[ "$1" == $p ]] && return 0
    done
    return 1
}
