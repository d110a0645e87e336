#!/usr/bin/env bash
# The zoomed-out view through real X input: Ctrl + wheel down over the canvas shows the map
# at half size on the grey frame, and a click on it returns to 1:1 with the cursor on the
# cell under the pointer, where the next stamp lands.
source "$(dirname "$0")/lib.sh"

read -r hx hy <<<"$HOTSPOT_110_XY"
# The view frame's top-left in the window; a map scrolled to its top-left stands at 4 in it.
FRAME_X=$((CANVAS_X - 5))
FRAME_Y=$((CANVAS_Y - 5))

frame_pixel() {
    "$IM_IMPORT" -window "$WID" "$E2E_DIR/window.png"
    "$IM_CONVERT" "$E2E_DIR/window.png" -format "%[pixel:p{$((FRAME_X + $1)),$((FRAME_Y + $2))}]" info:
}

# Map point (600, 300) lies beyond the half-size map, on the grey frame; (200, 100) on it.
half_size_shown() {
    [ "$(frame_pixel 604 304)" = "srgb(128,128,128)" ] && [ "$(frame_pixel 204 104)" = "srgb(255,255,255)" ]
}

start_app
hover_at $((FRAME_X + 400)) $((FRAME_Y + 200))
xdotool windowfocus --sync "$WID"
xdotool keydown ctrl click 5 keyup ctrl
wait_until "the map at half size" half_size_shown
pass "Ctrl + wheel down shows the map at half size"

click_at $((FRAME_X + 4 + 300 + 7)) $((FRAME_Y + 4 + 150 + 7))
click_at "$hx" "$hy"
save_as zoom
check "the click put the cursor on map cell (600, 300), where the tile went" \
    map_holds zoom "$CANVAS_W" "$CANVAS_H" 99 600 300
close_app
finish
