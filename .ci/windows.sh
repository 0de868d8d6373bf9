#!/usr/bin/env bash
# CI for Windows: cross-builds the tool with mingw-w64 (the window too, with
# the Qt for Windows from shared/qt-windows/), the simulated and Windows
# backends and the test suites, then runs the suites, the window's GUI suites
# among them (offscreen), under Wine in a throw-away prefix; then builds the
# installer and the zip and tries them (.ci/windows-installer.sh). Starts
# from a clean checkout and installs the Debian packages it needs (run as
# root, or with them installed).
#
#   QT_WINDOWS_ARCHIVE  the Qt for Windows archive (default: the shared one
#                       beside the checkout); without it the window is not built
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$top/build-windows}"
archive="${QT_WINDOWS_ARCHIVE:-$top/../shared/qt-windows/qt6-windows-x64.tar.xz}"

"$top/scripts/install-deps.sh" windows

# Debian's wine64 package keeps its loader off the PATH.
wine="$(dpkg -L wine64 | grep -m1 '/wine64$')"

# A prefix of our own, gone afterwards. No display: nothing here opens a
# window. No Mono or Gecko: the prompts to install them would wait forever.
export WINEPREFIX
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/palereed-wine.XXXXXX")"
# Nor Wine's menu builder, which would copy the installer's Start-menu entry
# into this machine's own desktop menu. A 64-bit prefix. Creating it, wineboot still says it failed to open the
# 32-bit rundll32.exe, which wine64 alone lacks: harmless, nothing here is 32-bit.
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY=
cleanup() {
    WINESERVER="$(dirname "$wine")/wineserver64"
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
"$wine" wineboot --init

if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi

# The Qt for Windows, checked against its published SHA-256 and unpacked into
# the build folder. Its toolchain file finds it and the host's moc, rcc and uic
# (Debian's qt6-base-dev-tools of the same version) and chains to ours.
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-w64.cmake")
if [ -f "$archive" ]; then
    (cd "$(dirname "$archive")" && sha256sum --quiet -c "$(basename "$archive").sha256")
    qt="$build/qt/qt6-windows-x64"
    if [ ! -f "$qt/.unpacked-$(sha256sum <"$archive" | cut -c1-16)" ]; then
        rm -rf "$build/qt" && mkdir -p "$build/qt"
        tar -xJf "$archive" -C "$build/qt"
        touch "$qt/.unpacked-$(sha256sum <"$archive" | cut -c1-16)"
    fi
    toolchain=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-w64.cmake" -DQT_HOST_PATH=/usr)
    # The programs find Qt's DLLs (and the C++ runtime's, which they share)
    # and its platform plugins there when run under Wine.
    export WINEPATH="$("$wine" winepath -w "$qt/bin" 2>/dev/null)"
    export QT_PLUGIN_PATH="$("$wine" winepath -w "$qt/plugins" 2>/dev/null)"
    export QT_QPA_PLATFORM=offscreen
else
    echo "!!!!!!!! no Qt for Windows at $archive: the window is NOT built or tested" >&2
fi

# A unity build, as the CI's other cells (.ci/build-and-test.sh says why).
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPALEREED_WERROR=ON -DCMAKE_UNITY_BUILD=ON \
    "${toolchain[@]}" -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" -DPALEREED_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build"

# Every unit suite, each one run of its .exe under Wine (the emulator above),
# among them win32_real_tests over the real SetupAPI.
ctest --test-dir "$build" --output-on-failure

# Runs a Windows program under Wine from the folder of the demo update file.
on_windows() { (cd "$top/data/demo" && "$wine" "$@"); }

# The command-line tool. A simulated update of the demo file, start to end,
# on the real clock: the simulated bus charges each request its USB latency,
# so this also shows that the Windows clock paces the tool's polls.
flash="$build/src/cli/palereed-flash.exe"
on_windows "$flash" --simulate update --yes PaleReed_f066.hex

# A listing with no device goes through the real SetupAPI calls (the Windows
# backend is this build's backend for real devices): one clean line, and the
# tool's "no device" exit code.
no_device_exit=3
status=0
listing="$(on_windows "$flash" list 2>&1)" || status=$?
listing="${listing//$'\r'/}"
if [[ $status -ne $no_device_exit || "$listing" != "palereed-flash: no device found" ]]; then
    echo "palereed-flash.exe list: exit code $status (expected $no_device_exit), said:" >&2
    echo "$listing" >&2
    exit 1
fi
echo "palereed-flash.exe list: no device, exit code $status"

# The installer and the zip, installed, run (the real window on a virtual
# display among it) and uninstalled. They need the window: no Qt, no installer.
if [ -f "$archive" ]; then
    "$top/.ci/windows-installer.sh" "$build"
fi
