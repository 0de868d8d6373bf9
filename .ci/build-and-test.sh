#!/usr/bin/env bash
# One CI build cell: configure with warnings as errors, build everything and
# run every suite.
#
#   .ci/build-and-test.sh DIR COMPILER BUILD_TYPE [cmake options...]
#
# COMPILER is gcc or clang. The cell is a unity build (sources compiled eight
# to a file): the suites' GoogleTest and Qt headers are then parsed once per
# batch instead of once per file, which takes most of a cold build's time. The
# GCC Debug build of scripts/run-tests.sh stays file by file, so every source
# still has to compile on its own includes.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1" compiler="$2" type="$3"
shift 3
case "$compiler" in
    gcc) cc=gcc cxx=g++ ;;
    clang) cc=clang cxx=clang++ ;;
    *) echo "build-and-test: unknown compiler '$compiler'" >&2; exit 2 ;;
esac
"$top/scripts/install-deps.sh" build test ci

CC="$cc" CXX="$cxx" cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DPALEREED_WERROR=ON \
    -DCMAKE_UNITY_BUILD=ON "$@" >/dev/null
cmake --build "$dir"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
