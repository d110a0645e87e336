#!/usr/bin/env bash
# The typical stroke: hover a hot-spot (it lights up and its panel previews the tile), click
# it (the tile is overlaid at the cursor), D moves right, R repeats, Save writes the map.
source "$(dirname "$0")/lib.sh"

# Page "Standard" at (296, 16); panel 27 at (24, 32) in it; its W hot-spot (110, tile 99)
# stands at (-16, 0) from the panel and is 17 x 33.
read -r hx hy <<<"$HOTSPOT_110_XY"
PANEL_X=$((PAGE_X + 24))
PANEL_Y=$((PAGE_Y + 32))

hotspot_lit() {
    "$IM_IMPORT" -window "$WID" "$E2E_DIR/window.png"
    local c
    c=$("$IM_CONVERT" "$E2E_DIR/window.png" -format "%[pixel:p{$hx,$hy}]" info:)
    [ "$c" = "srgb(128,255,128)" ]
}

# The 33 x 33 panel shows a tile inside its one-pixel border.
panel_previews() {
    "$IM_IMPORT" -window "$WID" "$E2E_DIR/window.png"
    "$IM_CONVERT" "$E2E_DIR/window.png" -crop "31x31+$((PANEL_X + 1))+$((PANEL_Y + 1))" +repage \
        -alpha off "$E2E_DIR/panel.png"
    same_pixels "$E2E_DIR/panel.png" "$TESSELLON_TILES/$1.png" 2>/dev/null
}

start_app
check "the panel shows its own tile at start" panel_previews 098
hover_at "$hx" "$hy"
wait_until "the hovered hot-spot to turn light green" hotspot_lit
pass "the hovered hot-spot is light green"
wait_until "the panel to preview tile 99" panel_previews 099
pass "the panel previews the hovered hot-spot's tile"

click_at "$hx" "$hy"
press d r
save_as dungeon
check "dungeon.bmp holds the tile at (0,0) and again at (30,0), on white" \
    map_holds dungeon "$CANVAS_W" "$CANVAS_H" 99 0 0 99 30 0
check "dungeon.bmp holds no grid dot" no_grid_dot "$E2E_DIR/dungeon.bmp"
check "the grid is back on the canvas after saving" grid_shown

# R again after saving: the caption and the file stay, the canvas changes.
press s r
save_as dungeon2
check "a second save holds the third repeat at (30,30)" \
    map_holds dungeon2 "$CANVAS_W" "$CANVAS_H" 99 0 0 99 30 0 99 30 30

close_app
check "the settings file holds the default bindings" ini_is HotKeyBindings Up 87
check "the settings file holds the default 3x3 key" ini_is HotKeyBindings 3x3 48
check "the settings file holds the grid setting" ini_is Settings GridLines True
check "the settings file holds the overlay setting" ini_is Settings Overlay Left
check "the settings file holds the window position" ini_is Settings FormLeft 0
finish
