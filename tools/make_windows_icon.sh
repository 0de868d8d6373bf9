#!/usr/bin/env bash
# Renders the tool's icon (data/icons/com.palereed.UpdateTool.svg) into the
# Windows icon beside it: the sizes Explorer and the Start menu ask for, the
# largest kept as PNG. Run it after changing the SVG and commit both.
# Needs librsvg2-bin and icoutils.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
svg="$top/data/icons/com.palereed.UpdateTool.svg"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for size in 16 24 32 48 64 256; do
    rsvg-convert -w "$size" -h "$size" "$svg" -o "$work/$size.png"
done
icotool -c -o "${svg%.svg}.ico" "$work"/{16,24,32,48,64}.png --raw="$work/256.png"
