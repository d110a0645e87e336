#!/usr/bin/env bash
# Draws a small map in the real program under Xvfb and writes a screenshot of the window
# to docs/window.png. Needs a build (tools/run.sh or tools/test.sh) and the e2e packages.
# It starts its own X server. Usage: tools/screenshot.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/window.png}
export TESSELLON_BIN=${TESSELLON_BIN:-$root/build/src/app/tessellon}
export TESSELLON_XCLOSE=${TESSELLON_XCLOSE:-$root/build/tests/e2e/tessellon_xclose}
source "$root/tests/e2e/lib.sh"

start_app
# A corridor running east: the left panel's narrow straight (panel 23, S hot-spot), then
# repeated one step at a time with D and R.
read -r cx cy < <(hotspot_xy 4 16 232 96 0 32 33 17)
press s s
click_at "$cx" "$cy"
for _ in 1 2 3 4 5; do press d r; done
# A room at its end: page "Standard", panel 15's N hot-spot.
read -r rx ry < <(hotspot_xy $PAGE_X $PAGE_Y 312 32 0 -16 33 17)
press d
click_at "$rx" "$ry"
# South from the room: the narrow straight's N hot-spot, repeated, then stairs going down.
read -r nx ny < <(hotspot_xy 4 16 232 96 0 -16 33 17)
press s
click_at "$nx" "$ny"
for _ in 1 2 3; do press s r; done
read -r sx sy < <(hotspot_xy $PAGE_X $PAGE_Y 168 96 0 32 33 17)
press s
click_at "$sx" "$sy"
# Hover a hot-spot so the palette shows its preview.
read -r hx hy <<<"$HOTSPOT_110_XY"
hover_at "$hx" "$hy"
sleep 0.5
"$IM_IMPORT" -window "$WID" "$out"
close_app
echo "wrote $out"
