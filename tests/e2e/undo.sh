#!/usr/bin/env bash
# Undo and redo of two recorded stamps, by the bound keys (Z, Y) and by the Undo and Redo
# buttons; each state is saved and checked pixel by pixel.
source "$(dirname "$0")/lib.sh"

# Page "Standard" at (296, 16): panel 27 at (24, 32), W hot-spot 110 gives tile 99; panel 28
# at (88, 32), N hot-spot 113 gives tile 102.
read -r ax ay <<<"$HOTSPOT_110_XY"
read -r bx by < <(hotspot_xy $PAGE_X $PAGE_Y 88 32 0 -16 33 17)
W=$CANVAS_W
H=$CANVAS_H

start_app
click_at "$ax" "$ay"
press d
click_at "$bx" "$by"
save_as both
check "two stamps side by side" map_holds both $W $H 99 0 0 102 30 0

press z
save_as key-undo1
check "Z undoes the second stamp" map_holds key-undo1 $W $H 99 0 0
press z
save_as key-undo2
check "Z again undoes the first stamp" map_holds key-undo2 $W $H
press y
save_as key-redo1
check "Y redoes the first stamp" map_holds key-redo1 $W $H 99 0 0
press y
save_as key-redo2
check "Y again redoes the second stamp" map_holds key-redo2 $W $H 99 0 0 102 30 0
press y
save_as key-redo3
check "Y with nothing left to redo changes nothing" map_holds key-redo3 $W $H 99 0 0 102 30 0

click_at $UNDO_XY
save_as button-undo1
check "the Undo button undoes the second stamp" map_holds button-undo1 $W $H 99 0 0
click_at $UNDO_XY
save_as button-undo2
check "the Undo button again undoes the first stamp" map_holds button-undo2 $W $H
click_at $REDO_XY
save_as button-redo1
check "the Redo button redoes the first stamp" map_holds button-redo1 $W $H 99 0 0
click_at $REDO_XY
save_as button-redo2
check "the Redo button again redoes the second stamp" \
    map_holds button-redo2 $W $H 99 0 0 102 30 0

# Undo puts the cursor on the undone stamp: after moving away and undoing both stamps, R
# lays the current tile (102) where the first stamp was.
press s z z r
save_as undo-then-repeat
check "after undo the cursor stands on the undone stamp" \
    map_holds undo-then-repeat $W $H 102 0 0
check "no saved state holds a grid dot" no_grid_dot "$E2E_DIR/undo-then-repeat.bmp"
close_app
finish
