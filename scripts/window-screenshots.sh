#!/usr/bin/env bash
# Screenshots of every state of the compact window, at scale 1 and 2, under a
# virtual X server: to look at after a change of the panel, before a release,
# or in CI as a build artefact. Not part of the tests (it judges nothing; a
# person looks at the pictures).
#
#   scripts/window-screenshots.sh [TOOL] [OUTDIR]
#
# TOOL defaults to build/src/app/palereed-update-tool, OUTDIR to
# build/window-screenshots. Needs Xvfb, xdotool and ImageMagick's import
# (Debian: apt-get install xvfb xdotool imagemagick). Each state is set up
# with the simulated product (--simulate, --sim-*) in a scratch folder; where
# a state needs "Start" pressed, the script presses it as a user would (click,
# then Enter on the warning).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
tool="$(realpath "${1:-$top/build/src/app/palereed-update-tool}")"
out="$(realpath -m "${2:-$top/build/window-screenshots}")"
demo="$top/data/demo/PaleReed_f066.hex"
for program in Xvfb xdotool import; do
    command -v "$program" >/dev/null || { echo "$0: $program is missing" >&2; exit 1; }
done
[ -x "$tool" ] || { echo "$0: no tool at $tool (build it first)" >&2; exit 1; }
mkdir -p "$out"

scratch="$(mktemp -d)"
display=":$((50 + $$ % 200))"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
tool_pid=""
cleanup() {
    [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# The tool's own download folder would be searched too: keep it out of the pictures.
export HOME="$scratch/home" XDG_DOWNLOAD_DIR="$scratch/home/Downloads"
mkdir -p "$HOME"

title="Pale Reed USB Audio firmware update Tool"
window=""

# start FOLDER ARGS...: the tool in FOLDER, its window found.
start() {
    local folder="$1"
    shift
    (cd "$folder" && exec "$tool" "$@" >"$scratch/tool.log" 2>&1) &
    tool_pid=$!
    window="$(xdotool search --sync --onlyvisible --name "$title" | head -n1)"
    sleep "${settle:-5}"  # the detection finds the simulated product within about three seconds
}

stop() {
    kill "$tool_pid" 2>/dev/null || true
    wait "$tool_pid" 2>/dev/null || true
    tool_pid=""
}

# press_start: clicks "Start" (bottom right of the panel) and confirms the warning.
press_start() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove --window "$window" $((WIDTH - 64 * scale)) $((HEIGHT - 28 * scale)) click 1
    local box
    box="$(xdotool search --sync --onlyvisible --name '^Warning$' | head -n1)"
    eval "$(xdotool getwindowgeometry --shell "$box")"
    # Without a window manager keys go to the window under the pointer.
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 5)) key Return
    sleep "${1:-6}"
}

shot() {
    local name="$1"
    import -window "$window" "$out/$name@${scale}x.png"
    echo "$out/$name@${scale}x.png"
}

folder() {
    local dir="$scratch/$1"
    rm -rf "$dir"
    mkdir -p "$dir"
    shift
    for file in "$@"; do cp "$file" "$dir/"; done
    echo "$dir"
}

for scale in 1 2; do
    if [ "$scale" = 2 ]; then export QT_FONT_DPI=192; else unset QT_FONT_DPI; fi

    # The product plugged in, its update file beside the tool: ready to update.
    start "$(folder update "$demo")" --simulate --trace "$scratch/trace"
    shot update
    press_start 7
    shot success
    stop

    # The update done, but the flash protection refused: the status register
    # write (the last "43 80 ... 2 ..." request of the traced run, counted as
    # --sim-fault counts: the N-th request line) fails, and the success
    # carries its note.
    protection="$(grep -E '^(43|c3) ' "$scratch/trace" | grep -n '^43 80 0000 0001 2 ' |
        tail -n1 | cut -d: -f1)"
    start "$(folder success-with-note "$demo")" --simulate --sim-fault "fail@$protection"
    press_start 7
    shot success-with-note
    stop

    # Power lost while the flash is erased: the failure, then the chip back as
    # waiting for its firmware.
    start "$(folder failure "$demo")" --simulate --sim-fault power-loss@400
    press_start 5
    shot failure
    stop

    # A blank chip waiting in ISP mode that cannot say what it was.
    start "$(folder recovery "$demo")" --simulate --sim-isp
    shot recovery
    stop

    # Nothing plugged in (the USB bus of this machine, with no product on it).
    start "$(folder nothing-plugged "$demo")"
    shot nothing-plugged
    stop

    # The product plugged in, no update file anywhere.
    start "$(folder no-file)" --simulate
    shot no-file
    stop
done
