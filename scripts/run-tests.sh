#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: unit, GUI
# (offscreen), end-to-end against the simulated chip and, under umockdev, the
# real libusb code against an emulated device.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$top/build-tests}"
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPALEREED_WERROR=ON "$@" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
