#!/usr/bin/env bash
# The stricter CI build: a clang-format check of every source file, GCC and
# Clang in Debug and Release with warnings as errors and the whole test suite
# in each, and the clang-tidy gate over the Clang Debug build. Prints how long
# each part took.
#
#   STRICT_JOBS    build and test parallelism (default: number of cores)
#   STRICT_PARTS   the parts to run, of: format clang-debug tidy gcc-debug
#                  gcc-release clang-release (default: all, in this order;
#                  tidy needs the clang-debug build directory)
#   STRICT_TIDY_TESTS=1  also lint tests/ and bench/ (off: src/, sim/, tools/)
#
# Build directories: build-clang (Clang Debug; its compile database also feeds
# clang-tidy), build-tests (GCC Debug, the one scripts/run-tests.sh and .ci/run
# build, so after them this step only runs the tests), build-gcc-release and
# build-clang-release. ccache is used when present.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
jobs="${STRICT_JOBS:-$(nproc)}"
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
fi
export QT_QPA_PLATFORM=offscreen

"$top/.ci/install-ci-deps.sh"

# Processor seconds (user + system) of all finished child processes so far:
# with the wall time it shows how much a part would take on an idle machine.
# `times` must run in this shell, not in a pipeline's subshell, to see them.
times_file="$(mktemp)"
trap 'rm -f "$times_file"' EXIT
cpu_seconds() {
    times >"$times_file"
    tail -1 "$times_file" | awk '{
        split($1, u, /[ms]/); split($2, s, /[ms]/)
        printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}

timings=()
parts=" ${STRICT_PARTS:-format clang-debug tidy gcc-debug gcc-release clang-release} "
timed() {  # timed <part> <label> <command...>
    local part="$1" label="$2" start cpu
    shift 2
    [[ "$parts" == *" $part "* ]] || return 0
    start=$(date +%s)
    cpu=$(cpu_seconds)
    echo "== $label"
    "$@"
    timings+=("$(printf '%-28s %5d s wall %6d s CPU' "$label" $(($(date +%s) - start)) \
        $(($(cpu_seconds) - cpu)))")
    echo "-- ${timings[-1]}"
}

format_check() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}

# build_and_test <dir> <C compiler> <C++ compiler> <build type> [cmake options...]
build_and_test() {
    local dir="$1" cc="$2" cxx="$3" type="$4"
    shift 4
    CC="$cc" CXX="$cxx" cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
        -DPALEREED_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

# The files of src/, sim/ and tools/ (and of tests/ and bench/ on request)
# that the Clang build compiles; generated sources stay out.
tidy_gate() {
    local database="$top/build-clang" folders='src|sim|tools'
    [ "${STRICT_TIDY_TESTS:-0}" = 1 ] && folders="$folders|tests|bench"
    sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database/compile_commands.json" |
        grep -E "^$top/($folders)/" | sort -u |
        xargs -P "$jobs" -n 4 clang-tidy -p "$database" --quiet 2> >(grep -v ' warnings\? generated\.$' >&2)
}

timed format "clang-format check" format_check
# The Clang Debug build comes first: its compile database feeds clang-tidy,
# so lint findings show before the longer builds. build-tests keeps the
# options scripts/run-tests.sh gives it, so the two share it. Elsewhere the
# benchmarks are built in the Release builds only: their warnings do not depend
# on the build type, and the Clang Debug build stays shorter.
timed clang-debug "Clang Debug build + tests" build_and_test "$top/build-clang" clang clang++ Debug \
    -DPALEREED_BUILD_BENCHMARKS=OFF
timed tidy "clang-tidy gate" tidy_gate
timed gcc-debug "GCC Debug build + tests" build_and_test "$top/build-tests" gcc g++ Debug
timed gcc-release "GCC Release build + tests" build_and_test "$top/build-gcc-release" gcc g++ Release
timed clang-release "Clang Release build + tests" build_and_test "$top/build-clang-release" clang clang++ \
    Release

echo
printf '%s\n' "${timings[@]}"
