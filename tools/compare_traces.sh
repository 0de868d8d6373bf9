#!/bin/sh
# Records the request traces of every update sequence, or compares two such
# recordings. A change meant to keep behaviour must leave them identical.
#
#   tools/compare_traces.sh record BUILD-DIR OUT-DIR
#   tools/compare_traces.sh compare BEFORE-DIR AFTER-DIR
set -eu

record() {
    build=$1 out=$2
    mkdir -p "$out"
    "$build/tools/record_flash_traces" "$out"
    hex=$(cd "$(dirname "$0")/.." && pwd)/data/demo/PaleReed_f066.hex
    for flash in sst25vf016b mx32 w25; do
        for fault in none fail@3 fail@40 fail@400 fail@1500 fail@3000 unplug@60 unplug@2000 \
                     stuck-busy@30 never-ready@500 short@700 corrupt@900; do
            option=
            [ "$fault" = none ] || option="--sim-fault $fault"
            # shellcheck disable=SC2086
            "$build/src/cli/palereed-flash" update "$hex" --yes --simulate --sim-flash "$flash" \
                --sim-clock virtual $option --trace "$out/cli-$flash-$fault.trace" \
                >/dev/null 2>"$out/cli-$flash-$fault.stderr" || true
        done
    done
    echo "$(find "$out" -name '*.trace' | wc -l) traces in $out"
}

compare() {
    echo "$(find "$1" -name '*.trace' | wc -l) before, $(find "$2" -name '*.trace' | wc -l) after"
    if diff -r "$1" "$2" >/dev/null; then
        echo "identical"
    else
        diff -r "$1" "$2" | head -40
        echo "DIFFERENT"
        return 1
    fi
}

case "${1:-}" in
    record) record "$2" "$3" ;;
    compare) compare "$2" "$3" ;;
    *) echo "usage: $0 record BUILD-DIR OUT-DIR | compare BEFORE-DIR AFTER-DIR" >&2; exit 2 ;;
esac
