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
tool="$(cd "$1" && pwd)" shot="$2"
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
# Prints the first window whose title matches NAME, looking every quarter of
# a second for at most TRIES times; prints nothing if none came.
find_window() {  # NAME TRIES
    local found=""
    for _ in $(seq 1 "$2"); do
        found="$(xdotool search --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$found" ] && break
        sleep 0.25
    done
    echo "$found"
}
window="$(find_window 'firmware update Tool' 240)"
[ -n "$window" ] || { cat "$work/window.log" >&2; echo "the window did not appear" >&2; exit 1; }
echo "window start under Wine: $((($(date +%s%N) - started) / 1000000)) ms to the window on screen"

# No window manager runs on this display, so "Start" is clicked where it is
# drawn, from the window's bottom-right corner; the warning it opens takes the
# keyboard itself.
click() {  # WINDOW PIXELS_FROM_RIGHT PIXELS_FROM_BOTTOM
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    # Wine takes a press and a release apart, not a click in one go.
    xdotool mousemove $((X + WIDTH - $2)) $((Y + HEIGHT - $3))
    sleep 0.5
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
}
sleep 3  # the detection tick finds the simulated product and the demo file
click "$window" 64 28  # "Start"
warning="$(find_window '^Warning$' 40)"
[ -n "$warning" ] || { import -window root "$shot"; echo "no warning after Start (see $shot)" >&2; exit 1; }
sleep 1
xdotool key Return  # the warning has the keyboard; its default answer: OK
sleep 15  # the update on the real clock takes 6 to 9 s
import -window root "$shot"
echo "screenshot: $shot"

# A plain close, as a user closes it (WM_CLOSE): the window saves the
# product's state on its way out.
"$wine" taskkill /im palereed-update-tool.exe >/dev/null 2>&1 || true
for _ in $(seq 1 80); do
    kill -0 "$window_job" 2>/dev/null || break
    sleep 0.25
done
if kill -0 "$window_job" 2>/dev/null; then
    echo "the window did not close" >&2
    exit 1
fi
wait "$window_job" || { cat "$work/window.log" >&2; echo "the window ended with an error" >&2; exit 1; }

(cd "$top/data/demo" && "$wine" "$tool/palereed-flash.exe" verify PaleReed_f066.hex --simulate \
    --sim-state "$wine_state")
