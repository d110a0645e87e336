#!/usr/bin/env bash
# Rebinding on the "Key Bindings" page: Undo moves to F5, which works at once, is written to
# the settings file and still holds after a restart; a key without a name is refused.
source "$(dirname "$0")/lib.sh"

read -r hx hy <<<"$HOTSPOT_110_XY"

# Centre of binding box i (1..13): two rows of boxes (33 x 25) on the page at (296, 16);
# Up..Repeat in the first row, Erase..3x3 in the second, 60 pixels apart.
binding_box_xy() {
    local i=$1 col row
    if [ "$i" -le 7 ]; then col=$((i - 1)) row=44; else col=$((i - 8)) row=96; fi
    echo "$((PAGE_X + 8 + col * 60 + 12 + 16)) $((PAGE_Y + row + 18 + 12))"
}
read -r undo_x undo_y < <(binding_box_xy 5)
read -r redo_x redo_y < <(binding_box_xy 6)

start_app
click_at $PAGE_KEYBINDINGS_XY
click_at "$undo_x" "$undo_y"
press F5
click_at "$redo_x" "$redo_y"
press Left
answer_message_box Error Return
pass "an arrow key is refused with an error box"

# Back to the tiles with the Tab 1 key, stamp, and undo with the new key.
press 1
click_at "$hx" "$hy"
save_as stamped
check "the stamp is on the canvas" map_holds stamped $CANVAS_W $CANVAS_H 99 0 0
press F5
save_as undone
check "F5 undoes at once after binding it" map_holds undone $CANVAS_W $CANVAS_H
close_app
check "the settings file holds F5 (116) for Undo" ini_is HotKeyBindings Undo 116
check "the refused key left Redo on Y (89)" ini_is HotKeyBindings Redo 89
check "the other bindings keep their defaults" ini_is HotKeyBindings Repeat 82

start_app
click_at "$hx" "$hy"
press z
save_as after-z
check "after the restart Z no longer undoes" map_holds after-z $CANVAS_W $CANVAS_H 99 0 0
press F5
save_as after-f5
check "after the restart F5 undoes" map_holds after-f5 $CANVAS_W $CANVAS_H
press y
save_as after-y
check "Y still redoes" map_holds after-y $CANVAS_W $CANVAS_H 99 0 0
close_app
check "the settings file still holds F5 for Undo" ini_is HotKeyBindings Undo 116
finish
