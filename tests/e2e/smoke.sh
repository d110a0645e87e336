#!/usr/bin/env bash
# Starts the real program, takes a screenshot of its window, closes it and checks that it
# ended cleanly. The screenshot is written to $1 when given.
source "$(dirname "$0")/lib.sh"

start_app
geometry=$(xdotool getwindowgeometry "$WID")
echo "$geometry" | grep -q 'Geometry: 904x579' || fail "unexpected window geometry: $geometry"
shot="$E2E_DIR/window.png"
import -window "$WID" "$shot"
[ -s "$shot" ] || fail "no screenshot"
# The canvas is white and the view frame around it mid grey.
canvas=$(/usr/bin/convert "$shot" -format '%[pixel:p{300,300}]' info:)
frame=$(/usr/bin/convert "$shot" -format '%[pixel:p{2,400}]' info:)
case "$canvas" in *255,255,255*|white) ;; *) fail "canvas pixel is $canvas" ;; esac
case "$frame" in *255,255,255*|white) ;; *) fail "window edge pixel is $frame" ;; esac
if [ -n "${1:-}" ]; then cp "$shot" "$1"; fi
close_app
echo "1 passed, 0 failed"
