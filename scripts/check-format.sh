#!/usr/bin/env bash
# Fails when a tracked C++ file of the tree differs from .clang-format. Usage:
#   scripts/check-format.sh [CLANG_FORMAT]      (default: clang-format-19)
# Outside a git checkout (a source archive) every C++ file of the source folders is checked.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${1:-clang-format-19}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
    mapfile -t files < <(find core settings platform ui app tests bench fuzz \
        -name '*.cpp' -o -name '*.h' | sort)
fi

bad=()
for f in "${files[@]}"; do
    [ -f "$f" ] || continue
    if ! "$clang_format" --dry-run -Werror "$f" >/dev/null 2>&1; then
        bad+=("$f")
    fi
done

if [ ${#bad[@]} -gt 0 ]; then
    echo "check-format: these files differ from .clang-format ($("$clang_format" --version)):"
    printf '  %s\n' "${bad[@]}"
    echo "check-format: run 'make format' and commit the result"
    exit 1
fi
echo "check-format: ${#files[@]} files match .clang-format"
