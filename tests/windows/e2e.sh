#!/usr/bin/env bash
# The Windows zip end to end: unzipped alone into an empty folder and started under Wine
# with a fresh prefix and nothing on WINEPATH, it shows its window at its client size; then
# a load, a stamp, a save as a bitmap and as a PNG and a dropped file, done by real X input,
# give the same pixels as the Linux build given the same input.
# Needs: TESSELLON_ZIP, TESSELLON_BIN (the Linux build), TESSELLON_XCLOSE,
# TESSELLON_DRAGSOURCE, TESSELLON_TILES.
source "$(dirname "$0")/../e2e/lib.sh"

ROOT=$E2E_DIR
read -r ax ay <<<"$HOTSPOT_110_XY"
read -r bx by < <(hotspot_xy $PAGE_X $PAGE_Y 312 32 0 -16 33 17) # panel 15's N hot-spot 61

# In program folder $1: loads start.bmp, stamps twice, saves out.bmp and out.png, drops
# start.png on the window with a real drag, saves dropped.bmp, closes.
drive() {
    E2E_DIR=$1
    expected_canvas "$E2E_DIR/start.png" 400 300 57 60 30
    "$IM_CONVERT" "$E2E_DIR/start.png" -type TrueColor "BMP3:$E2E_DIR/start.bmp"
    start_app "$2"
    load_map start
    click_at "$ax" "$ay"
    press d d
    click_at "$bx" "$by"
    save_as out
    click_at $SAVE_XY
    answer_input_box "Save Map" out.png
    wait_until "the caption after saving out.png" caption_is "Tessellon out.png"
    drop_file "$E2E_DIR/start.png" 300 300
    wait_until "the caption to lose the file name after the drop" caption_is "Tessellon"
    end_drag
    save_as dropped
    close_app
    E2E_DIR=$ROOT
}

mkdir "$ROOT/linux"
cp "$TESSELLON_BIN" "$ROOT/linux/tessellon"
drive "$ROOT/linux" "$ROOT/linux/tessellon"

# Wine asks for no add-ons, and a console program's output is of no use here.
export WINEPREFIX=$ROOT/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
wineboot -i >/dev/null 2>&1
mkdir "$ROOT/windows"
(cd "$ROOT/windows" && cmake -E tar xf "$TESSELLON_ZIP")
app=$(dirname "$(find "$ROOT/windows" -name tessellon.exe)")
printf '#!/bin/sh\nexec wine "%s/tessellon.exe"\n' "$app" >"$ROOT/wine-tessellon"
chmod +x "$ROOT/wine-tessellon"

E2E_DIR=$app
start_app "$ROOT/wine-tessellon"
check "the window has its client size" \
    bash -c "xdotool getwindowgeometry $WID | grep -q 'Geometry: 904x579'"
close_app
E2E_DIR=$ROOT
drive "$app" "$ROOT/wine-tessellon"

check "the stamps reached the map" bash -c "! cmp -s '$ROOT/linux/out.bmp' '$ROOT/linux/start.bmp'"
check "the dropped picture became the canvas" \
    same_pixels "$ROOT/linux/dropped.bmp" "$ROOT/linux/start.png"
for f in out.bmp out.png dropped.bmp; do
    check "$f from the zip holds the Linux build's pixels" \
        same_pixels "$app/$f" "$ROOT/linux/$f"
done
check "the bitmap is the Linux build's, byte for byte" cmp -s "$app/out.bmp" "$ROOT/linux/out.bmp"
check "Tessellon.ini was written beside the program" test -s "$app/Tessellon.ini"
finish
