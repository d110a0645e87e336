#!/usr/bin/env bash
# Draws the window icon, resources/tessellon.png: a corridor crossing and a room on a dotted
# grid. Needs ImageMagick (Debian package imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
/usr/bin/convert -size 64x64 xc:white \
  -fill '#B3B4B4' -draw "point 21,1 point 21,5 point 21,9 point 42,1 point 42,5 point 42,9" \
  -fill none -stroke black -strokewidth 2 \
  -draw "polyline 2,22 22,22 22,2" -draw "polyline 41,2 41,22 61,22" \
  -draw "polyline 2,41 22,41 22,61" -draw "polyline 41,61 41,41 61,41" \
  -stroke '#202020' -strokewidth 3 -draw "rectangle 1,1 62,62" \
  +antialias -depth 8 -define png:color-type=2 resources/tessellon.png
