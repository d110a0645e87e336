#!/usr/bin/env bash
# Draws a large map with ImageMagick (5999 x 5999: rooms on the 30-pixel grid joined by
# corridors, in 1-pixel lines), loads it in the real program under Xvfb, zooms out to the
# whole map with Ctrl + wheel and writes a screenshot of the window to docs/overview.png.
# Needs a build (tools/run.sh or tools/test.sh) and the e2e packages.
# Usage: tools/overview-shot.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/overview.png}
export TESSELLON_BIN=${TESSELLON_BIN:-$root/build/src/app/tessellon}
export TESSELLON_XCLOSE=${TESSELLON_XCLOSE:-$root/build/tests/e2e/tessellon_xclose}
source "$root/tests/e2e/lib.sh"

# A 10 x 10 plan of 600-pixel plots, a room in each that covers its plot's middle, so that a
# corridor (two walls 60 pixels apart) along the middle line meets both rooms it joins.
awk 'BEGIN {
    srand(30)
    for (r = 0; r < 10; r++) for (c = 0; c < 10; c++) {
        px = c * 600; py = r * 600
        l = px + 30 * int(1 + rand() * 7); t = py + 30 * int(1 + rand() * 7)
        rt = px + 360 + 30 * int(rand() * 7); b = py + 360 + 30 * int(rand() * 7)
        printf "rectangle %d,%d %d,%d\n", l, t, rt, b
        R[r, c] = rt; B[r, c] = b; L[r, c] = l; T[r, c] = t
        if (rand() < 0.3) for (s = 0; s < 6; s++)
            printf "line %d,%d %d,%d\n", l + 30, t + 30 + 10 * s, l + 120, t + 30 + 10 * s
    }
    for (r = 0; r < 10; r++) for (c = 0; c < 10; c++) {
        px = c * 600; py = r * 600
        if (c < 9 && rand() < 0.8) {
            printf "line %d,%d %d,%d\n", R[r, c], py + 270, L[r, c + 1], py + 270
            printf "line %d,%d %d,%d\n", R[r, c], py + 330, L[r, c + 1], py + 330
        }
        if (r < 9 && rand() < 0.8) {
            printf "line %d,%d %d,%d\n", px + 270, B[r, c], px + 270, T[r + 1, c]
            printf "line %d,%d %d,%d\n", px + 330, B[r, c], px + 330, T[r + 1, c]
        }
    }
}' >"$E2E_DIR/dungeon.mvg"
"$IM_CONVERT" -size 5999x5999 xc:white +antialias -fill none -stroke black -strokewidth 1 \
    -draw "$(cat "$E2E_DIR/dungeon.mvg")" -type TrueColor "BMP3:$E2E_DIR/dungeon.bmp"

start_app
load_map dungeon
hover_at $((CANVAS_X + CANVAS_W / 2)) $((CANVAS_Y + CANVAS_H / 2))
xdotool windowfocus --sync "$WID"
for _ in 1 2 3 4; do xdotool keydown ctrl click 5 keyup ctrl; done
sleep 0.5
"$IM_IMPORT" -window "$WID" "$out"
close_app
echo "wrote $out"
