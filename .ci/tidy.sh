#!/usr/bin/env bash
# The clang-tidy gate (.clang-tidy) over every source of src/, sim/ and tools/
# (and of tests/, bench/ and fuzz/ with TIDY_TESTS=1), one clang-tidy per core.
#
# clang-tidy only needs the compile commands, not a build: it gets them from a
# configure-only Clang build folder (build-tidy), file by file (the CI's other
# Clang builds are unity builds, whose commands name the batches instead).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
database="${BUILD_DIR:-$top/build-tidy}"
"$top/scripts/install-deps.sh" build test ci

CC=clang CXX=clang++ cmake -S "$top" -B "$database" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DPALEREED_BUILD_BENCHMARKS=OFF >/dev/null

folders='src|sim|tools'
[ "${TIDY_TESTS:-0}" = 1 ] && folders="$folders|tests|bench|fuzz"
files="$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database/compile_commands.json" |
    grep -E "^$top/($folders)/" | sort -u)"
echo "clang-tidy over $(wc -l <<<"$files") files"
# The summary lines ("N warnings generated") are clang-tidy's count of what it
# filtered out of other people's headers: noise here.
xargs -P "$(nproc)" -n 2 clang-tidy -p "$database" --quiet <<<"$files" \
    2> >(grep -v ' warnings\? generated\.$' >&2)
