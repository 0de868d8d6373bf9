#!/usr/bin/env bash
# The real window under Wine on a virtual X display, as a user on Windows
# meets it: palereed-update-tool.exe --simulate started from the folder of the
# demo update file, "Start" pressed from the keyboard, the warning confirmed
# with Enter, a screenshot taken once "Firmware update success!" can be on
# screen, the window closed. The simulated product's state, saved as the
# window closes, must then hold the demo firmware: palereed-flash.exe
# verifies it.
#
#   .ci/windows-window.sh TOOL_FOLDER SCREENSHOT.png
#
# TOOL_FOLDER holds both executables with the DLLs and plugins they need (an
# installed or unpacked tool). Runs in .ci/windows.sh's Wine prefix; needs
# Xvfb, xdotool and ImageMagick's import. Prints the window's start time.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
tool="$1" shot="$2"
wine="$(dpkg -L wine64 | grep -m1 '/wine64$')"
wineserver="$(dirname "$wine")/wineserver64"
work="$(mktemp -d)"
state="$work/product.state"
# Wine's desktop takes its display from the first program of a session: a
# session begun without one (the suites, the installer) never shows a window,
# so this script runs a session of its own and ends it before its display goes.
"$wineserver" -k 2>/dev/null || true
trap '"$wineserver" -k 2>/dev/null || true; kill "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
# The installed tool must stand on its own: no Qt from elsewhere.
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 1 80); do
    [ -s "$work/display" ] && break
    sleep 0.25
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

wine_state="$("$wine" winepath -w "$state")"
started=$(date +%s%N)
(cd "$top/data/demo" && exec "$wine" "$tool/palereed-update-tool.exe" --simulate --sim-state "$wine_state" \
    >"$work/window.log" 2>&1) &
window_job=$!
window=""
for _ in $(seq 1 240); do
    window="$(xdotool search --name 'firmware update Tool' 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    sleep 0.25
done
[ -n "$window" ] || { cat "$work/window.log" >&2; echo "the window did not appear" >&2; exit 1; }
echo "window start under Wine: $((($(date +%s%N) - started) / 1000000)) ms to the window on screen"

sleep 3  # the detection tick finds the simulated product and the demo file
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window" || true
xdotool key --window "$window" space  # "Start" holds the focus
sleep 2
xdotool key Return  # the warning's default answer: OK
sleep 15            # the update on the real clock takes 6 to 9 s
import -window root "$shot"
echo "screenshot: $shot"

# A plain close, as a user closes it: the window saves the product's state.
xdotool windowclose "$window" 2>/dev/null || "$wine" taskkill /im palereed-update-tool.exe >/dev/null 2>&1 || true
for _ in $(seq 1 40); do
    kill -0 "$window_job" 2>/dev/null || break
    sleep 0.25
done
wait "$window_job" || { cat "$work/window.log" >&2; echo "the window ended with an error" >&2; exit 1; }

(cd "$top/data/demo" && "$wine" "$tool/palereed-flash.exe" verify PaleReed_f066.hex --simulate \
    --sim-state "$wine_state")
