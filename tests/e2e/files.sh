#!/usr/bin/env bash
# Maps as files: save, save as PNG by name, clear (Yes and No in the question box), load back
# by typed name, load a map of another size, and a name that does not exist.
source "$(dirname "$0")/lib.sh"

read -r ax ay <<<"$HOTSPOT_110_XY"
read -r bx by < <(hotspot_xy $PAGE_X $PAGE_Y 312 32 0 -16 33 17) # panel 15's N hot-spot 61, tile 57

start_app
click_at "$ax" "$ay"
press s d
click_at "$bx" "$by"
save_as castle
check "castle.bmp holds both stamps" map_holds castle $CANVAS_W $CANVAS_H 99 0 0 57 30 30

is_png_itself() {
    [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] && [ ! -e "$1.bmp" ]
}
click_at $SAVE_XY
answer_input_box "Save Map" share.png
wait_until "the caption after saving share.png" caption_is "Tessellon share.png"
check "a typed share.png is a PNG at exactly that name" is_png_itself "$E2E_DIR/share.png"
check "share.png holds the map, pixel for pixel" same_pixels "$E2E_DIR/share.png" "$E2E_DIR/castle.bmp"
check "share.png holds no grid dot" no_grid_dot "$E2E_DIR/share.png"

click_at $CLEAR_XY
answer_message_box "Clear Canvas" alt+y
save_as cleared
check "Clear answered Yes leaves a white canvas of the same size" \
    map_holds cleared $CANVAS_W $CANVAS_H

load_map castle
save_as reloaded
check "the loaded map is the saved one, pixel for pixel" \
    same_pixels "$E2E_DIR/reloaded.bmp" "$E2E_DIR/castle.bmp"

click_at $CLEAR_XY
answer_message_box "Clear Canvas" Return
save_as kept
check "Clear answered No (the default button) keeps the drawing" \
    same_pixels "$E2E_DIR/kept.bmp" "$E2E_DIR/castle.bmp"

# A map of another size, put beside the program: the canvas takes its size.
expected_canvas "$E2E_DIR/room.png" 200 100 57 60 30
"$IM_CONVERT" "$E2E_DIR/room.png" -type TrueColor "BMP3:$E2E_DIR/room.bmp"
load_map room.bmp
save_as room-copy
check "a loaded map of 200 x 100 is saved at that size, unchanged" \
    same_pixels "$E2E_DIR/room-copy.bmp" "$E2E_DIR/room.png"

click_at $LOAD_XY
answer_input_box "Load Map" missing
answer_message_box Error Return
wait_until "the caption to drop the name after a failed load" caption_is "Tessellon"
pass "a missing map shows an error and clears the caption's name"
save_as after-failure
check "a failed load leaves the canvas as it was" \
    same_pixels "$E2E_DIR/after-failure.bmp" "$E2E_DIR/room.png"
close_app
finish
