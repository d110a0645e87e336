#!/usr/bin/env bash
# A slow load cancelled through its real "Loading" box with Escape: the box goes at once,
# and the canvas, the caption and the names stay as they were. Return, keypad Enter and
# Space leave the box alone, and a close of the window while the box shows closes it.
source "$(dirname "$0")/lib.sh"

read -r hx hy <<<"$HOTSPOT_110_XY"
"$TESSELLON_SLOWJPEG" "$E2E_DIR/slow.jpg" 4096 # about 3 s to decode here

start_app
click_at "$hx" "$hy"
save_as before

click_at $LOAD_XY
answer_input_box "Load Map" slow.jpg
wait_window Loading
xdotool windowfocus --sync "$WINDOW"
xdotool key --delay 50 Return KP_Enter space
sleep 0.3
check "Return, Enter and Space leave the load running" xdotool search --onlyvisible --name '^Loading$'
started=$(date +%s%N)
xdotool key Escape
wait_until "the Loading box to close" no_window Loading
took=$(( ($(date +%s%N) - started) / 1000000 ))
echo "the box closed ${took} ms after Escape"
# well before the 3 s the whole load takes, whatever the load on the machine
[ "$took" -lt 1500 ] || fail "cancelling took ${took} ms"
pass "Escape cancels the load at once"
check "the caption keeps the saved map's name" caption_is "Tessellon before.bmp"

# The Save box offers the name from before the cancelled load.
click_at $SAVE_XY
wait_window "Save Map"
xdotool windowfocus --sync "$WINDOW"
xdotool key Return
wait_until "the Save Map box to close" no_window "Save Map"
wait_until "the map to be saved again" caption_is "Tessellon before.bmp"
save_as after
check "the canvas is as it was before the cancelled load" \
    same_pixels "$E2E_DIR/after.bmp" "$E2E_DIR/before.bmp"

# The window closed while the box shows: the load stops and the program ends.
rm -f "$E2E_DIR/Tessellon.ini"
click_at $LOAD_XY
answer_input_box "Load Map" slow.jpg
wait_window Loading
close_app
check "the close stored the settings" test -s "$E2E_DIR/Tessellon.ini"
finish
