#!/usr/bin/env bash
# Installs what is missing and builds the Debian package
# build-deb/palereed-update-tool_VERSION_ARCH.deb: a Release build with
# Debian's hardening flags, installed under /usr, stripped, its dependencies
# found by dpkg-shlibdeps. Extra arguments go to cmake.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$top/build-deb}"
"$top/scripts/install-deps.sh" package

# Time stamps inside the package (manual pages, file dates) come from the last
# commit, so the same source gives the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$top" rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH="$(git -C "$top" log -1 --format=%ct)"
    export SOURCE_DATE_EPOCH
fi
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPALEREED_BUILD_TESTS=OFF -DPALEREED_BUILD_BENCHMARKS=OFF "$@" >/dev/null
cmake --build "$build"
rm -f "$build"/palereed-update-tool_*.deb
(cd "$build" && cpack -G DEB)
