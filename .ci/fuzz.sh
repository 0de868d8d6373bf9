#!/usr/bin/env bash
# Builds the fuzz targets (Clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each on its checked-in seed corpus for
# a bounded time. Fails on any finding: a crash, a sanitizer report, a broken
# check inside a target, a time-out or running out of memory. Prints the
# executions per target at the end.
#
#   FUZZ_SECONDS   time per target (default 60)
#   FUZZ_JOBS      targets run side by side (default 2, one per core)
#   FUZZ_BUILD_DIR build directory (default build-fuzz)
#
# The checked-in corpora are never written: each run starts from a copy, and
# whatever it finds lands in $FUZZ_BUILD_DIR/fuzz-runs/<target>/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${FUZZ_SECONDS:-60}"
jobs="${FUZZ_JOBS:-2}"
build="${FUZZ_BUILD_DIR:-$top/build-fuzz}"
runs="$build/fuzz-runs"

"$top/scripts/install-deps.sh" ci

started=$(date +%s)
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPALEREED_FUZZ=ON -DPALEREED_WERROR=ON -DPALEREED_BUILD_TESTS=OFF \
    -DPALEREED_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzzers
echo "fuzz build: $(($(date +%s) - started)) s"

targets=()
for corpus in "$top"/fuzz/corpus/*/; do
    targets+=("$(basename "$corpus")")
done

# One target: fresh copy of its seeds, bounded run, the final statistics kept.
run_target() {
    local target="$1" dir="$runs/$1"
    rm -rf "$dir" && mkdir -p "$dir/corpus" "$dir/artifacts"
    cp "$top/fuzz/corpus/$target"/* "$dir/corpus/"
    # -timeout: one input taking this long is a hang; -error_exitcode keeps
    # findings apart from a clean end of the time budget.
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz/$target" "$dir/corpus" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" -error_exitcode=77 >"$dir/log" 2>&1
}

export -f run_target
export top build runs seconds
echo "running ${#targets[@]} fuzz targets for $seconds s each, $jobs at a time"
status=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target {}' || status=$?

printf '\n%-26s %12s %10s  %s\n' target executions exec/s result
for target in "${targets[@]}"; do
    log="$runs/$target/log"
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if compgen -G "$runs/$target/artifacts/*" >/dev/null || [ -z "$executions" ]; then
        result="FINDING (see $log)"
        status=1
    else
        result=clean
    fi
    printf '%-26s %12s %10s  %s\n' "$target" "${executions:--}" "${rate:--}" "$result"
done
echo "fuzzing took $(($(date +%s) - started)) s in all"
exit "$status"
