#!/usr/bin/env bash
# The grid check box: the grid shows on the canvas or not, a saved map never holds a grid
# dot either way, and the choice survives a restart.
source "$(dirname "$0")/lib.sh"

read -r hx hy <<<"$HOTSPOT_110_XY"

# Canvas pixel (x, y) in the last canvas screenshot.
canvas_pixel() {
    "$IM_CONVERT" "$E2E_DIR/canvas.png" -format "%[pixel:p{$1,$2}]" info:
}

dots_where_expected() {
    local on off1 off2
    on="$(canvas_pixel 90 91) $(canvas_pixel 91 90) $(canvas_pixel 120 33)"
    off1=$(canvas_pixel 90 90)
    off2=$(canvas_pixel 90 92)
    if [ "$on" != "srgb(180,180,179) srgb(180,180,179) srgb(180,180,179)" ] ||
        [ "$off1" != "srgb(255,255,255)" ] || [ "$off2" != "srgb(255,255,255)" ]; then
        echo "  grid pixels: $on; between dots: $off1 $off2" >&2
        return 1
    fi
}

start_app
wait_until "the grid on the canvas at start" grid_shown
check "the grid dots stand every 30 pixels on odd pixels" dots_where_expected
click_at "$hx" "$hy"
save_as grid-on
check "saved with the grid shown: the tile on white" map_holds grid-on $CANVAS_W $CANVAS_H 99 0 0
check "saved with the grid shown: no grid dot" no_grid_dot "$E2E_DIR/grid-on.bmp"

click_at $GRID_XY
wait_until "the grid to leave the canvas" grid_hidden
pass "the Grid check box takes the grid off the canvas"
save_as grid-off
check "saved with the grid off: the same picture" same_pixels "$E2E_DIR/grid-off.bmp" "$E2E_DIR/grid-on.bmp"
check "saved with the grid off: no grid dot" no_grid_dot "$E2E_DIR/grid-off.bmp"
close_app
check "the settings file says the grid is off" ini_is Settings GridLines False

start_app
check "after a restart the grid stays off" grid_hidden
click_at $GRID_XY
wait_until "the grid to come back" grid_shown
pass "the Grid check box puts the grid back"
check "the grid dots stand every 30 pixels on odd pixels" dots_where_expected
press r d
save_as fresh
check "a fresh canvas saves white (R has no tile yet)" map_holds fresh $CANVAS_W $CANVAS_H
check "a fresh canvas saves without grid dots" no_grid_dot "$E2E_DIR/fresh.bmp"
close_app
check "the settings file says the grid is on" ini_is Settings GridLines True
finish
