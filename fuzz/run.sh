#!/usr/bin/env bash
# Runs every fuzz target for a given time. First each target replays its kept regression inputs
# (fuzz/regressions/<target>/, every input that ever failed), then it fuzzes, starting from its
# seeds and the corpus it built in earlier runs. A new failing input is written into the target's
# regression folder, to be kept with the sources, and the run fails.
#
# Usage: bash fuzz/run.sh <fuzz build dir> <seconds per target>
set -u
BUILD=${1:?usage: run.sh <fuzz build dir> <seconds per target>}
SECONDS_PER_TARGET=${2:?usage: run.sh <fuzz build dir> <seconds per target>}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
BUILD=$(cd "$BUILD" && pwd)

seeds_of() {
    case "$1" in
    datafile | searchsort)
        echo "$HERE/seeds/datafile" "$ROOT/examples"
        [[ -d "$ROOT/../shared/data/public" ]] && echo "$ROOT/../shared/data/public"
        ;;
    settings) echo "$HERE/seeds/settings" ;;
    esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
summary=""
for target in datafile settings searchsort; do
    exe="$BUILD/fuzz_$target"
    regressions="$HERE/regressions/$target"
    corpus="$BUILD/corpus/$target"
    mkdir -p "$regressions" "$corpus"
    log="$BUILD/fuzz_$target.log"

    mapfile -t kept < <(find "$regressions" -type f ! -name '.*' | sort)
    if [[ ${#kept[@]} -gt 0 ]]; then
        if ! "$exe" -runs=1 "${kept[@]}" >"$log.replay" 2>&1; then
            echo "fuzz $target: a kept regression input fails again:"
            tail -n 40 "$log.replay"
            status=1
            continue
        fi
    fi

    # shellcheck disable=SC2046
    "$exe" -max_total_time="$SECONDS_PER_TARGET" -max_len=4096 -timeout=20 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$regressions/" \
        "$corpus" $(seeds_of "$target") >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    line="fuzz $target: ${runs:-?} runs in ${SECONDS_PER_TARGET} s, ${speed:-?} exec/s, ${#kept[@]} regression inputs replayed"
    echo "$line"
    summary+="$line"$'\n'
    if [[ $rc -ne 0 ]]; then
        echo "fuzz $target: FAILED; the input is kept in $regressions/. Log: $log"
        grep -E 'fuzz:|ERROR|SUMMARY|runtime error' "$log" | head -n 20
        status=1
    fi
done
exit $status
