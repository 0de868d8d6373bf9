#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it. Without hardware it
# plugs in a simulated "Pale Reed F066" and runs in a folder that holds the
# demo update file, so "Start" updates the simulated product end to end.
# Extra arguments go to the tool (for example --engineering).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh" build
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPALEREED_BUILD_TESTS=OFF -DPALEREED_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$top/build" --target palereed-update-tool
cd "$top/data/demo"
exec "$top/build/src/app/palereed-update-tool" --simulate "$@"
