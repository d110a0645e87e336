#!/usr/bin/env bash
# Files dropped on the window with a real drag: a picture replaces the canvas (any format,
# any size), moves the cursor home and forgets the file name; a text file is refused.
source "$(dirname "$0")/lib.sh"

read -r hx hy <<<"$HOTSPOT_110_XY"

start_app
press d d s
save_as before
expected_canvas "$E2E_DIR/dropped.png" 100 80 1 10 20
drop_file "$E2E_DIR/dropped.png" 300 300
wait_until "the caption to lose the file name after the drop" caption_is "Tessellon"
end_drag
pass "a dropped picture resets the caption"

# The cursor was at (60, 30); after the drop a stamp lands at (0, 0).
click_at "$hx" "$hy"
save_as after-drop
check "the canvas took the dropped picture's size and pixels; the cursor went home" \
    map_holds after-drop 100 80 1 10 20 99 0 0
check "the dropped map saves without grid dots" no_grid_dot "$E2E_DIR/after-drop.bmp"

echo "not a picture" >"$E2E_DIR/notes.txt"
drop_file "$E2E_DIR/notes.txt" 400 300 # on the grey view frame beside the small canvas
answer_message_box Error Return
end_drag
pass "a dropped text file shows an error"
save_as after-text
check "a refused drop leaves the canvas as it was" \
    same_pixels "$E2E_DIR/after-text.bmp" "$E2E_DIR/after-drop.bmp"
close_app
finish
