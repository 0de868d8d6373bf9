#!/usr/bin/env bash
# The stricter CI build: a clang-format check of every source file, GCC and
# Clang in Debug and Release with warnings as errors and the whole test suite
# in each, and the clang-tidy gate over the Clang Debug build. Prints how long
# each part took.
#
#   STRICT_JOBS    build and test parallelism (default: number of cores)
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

timings=()
timed() {  # timed <label> <command...>
    local label="$1" start
    shift
    start=$(date +%s)
    echo "== $label"
    "$@"
    timings+=("$(printf '%-28s %5d s' "$label" $(($(date +%s) - start)))")
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

timed "clang-format check" format_check
# The Clang Debug build comes first: its compile database feeds clang-tidy,
# so lint findings show before the longer builds. build-tests keeps the
# options scripts/run-tests.sh gives it, so the two share it. Elsewhere the
# benchmarks are built in the Release builds only: their warnings do not depend
# on the build type, and the Clang Debug build stays shorter.
timed "Clang Debug build + tests" build_and_test "$top/build-clang" clang clang++ Debug \
    -DPALEREED_BUILD_BENCHMARKS=OFF
timed "clang-tidy gate" tidy_gate
timed "GCC Debug build + tests" build_and_test "$top/build-tests" gcc g++ Debug
timed "GCC Release build + tests" build_and_test "$top/build-gcc-release" gcc g++ Release
timed "Clang Release build + tests" build_and_test "$top/build-clang-release" clang clang++ \
    Release

echo
printf '%s\n' "${timings[@]}"
