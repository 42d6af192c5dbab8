#!/usr/bin/env bash
# Draws the camera cursors (committed under images/). The toolbar pictograms and the
# program's icon are the hand-written SVG files beside them, drawn on a 24 x 24 grid
# (the icon on 48 x 48) with 1.5-wide round strokes of #303841 and the blue #2f80d1.
# Run again after changing a row; needs ImageMagick and the DejaVu fonts.
set -euo pipefail
cd "$(dirname "$0")/images"

# cursor: <id> <hot x> <hot y> <label>: a white disc with a dark rim, a cross mark at the
# hot spot, transparent around it.
cursor() {
  local id=$1 x=$2 y=$3 label=$4
  convert -size 32x32 xc:none -fill white -stroke '#202020' -strokewidth 2 \
    -draw 'circle 20,20 20,29' -stroke none -fill '#202020' -font DejaVu-Sans-Bold \
    -pointsize 9 -annotate +13+24 "$label" -stroke '#202020' -strokewidth 1 \
    -draw "line $((x - 3)),$y $((x + 3)),$y" -draw "line $x,$((y - 3)) $x,$((y + 3))" \
    -depth 8 -define png:color-type=6 "vpng-$id.png"
}

cursor 418 16 16 'Tu'
cursor 419 10 10 'Or'
cursor 420 16 16 'Wk'
cursor 421 11 11 'Z'
cursor 422 11 11 'ZW'
cursor 466 16 16 'No'
cursor 1003 16 16 'Do'
