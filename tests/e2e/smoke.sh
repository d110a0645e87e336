#!/usr/bin/env bash
# Starts the real program, takes a screenshot of its window, closes it and checks that it
# ended cleanly. The screenshot is written to $1 when given.
source "$(dirname "$0")/lib.sh"

pixel_is() { # file x y colour
    [ "$("$IM_CONVERT" "$1" -format "%[pixel:p{$2,$3}]" info:)" = "$4" ]
}

start_app
check "the window has its client size" \
    bash -c "xdotool getwindowgeometry $WID | grep -q 'Geometry: 904x579'"
shot="$E2E_DIR/window.png"
"$IM_IMPORT" -window "$WID" "$shot"
check "a screenshot was taken" test -s "$shot"
check "the canvas is white" pixel_is "$shot" 300 300 "srgb(255,255,255)"
check "the view frame around it is mid grey" pixel_is "$shot" 7 400 "srgb(128,128,128)"
check "the window background is white" pixel_is "$shot" 2 400 "srgb(255,255,255)"
if [ -n "${1:-}" ]; then cp "$shot" "$1"; fi
close_app
pass "the program ended cleanly when its window was closed"
finish
