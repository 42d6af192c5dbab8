#!/usr/bin/env bash
# Draws the toolbar button images and the camera cursors (committed under images/).
# Run again after changing a row; needs ImageMagick and the DejaVu fonts.
set -euo pipefail
cd "$(dirname "$0")/images"

# button: <16-px id> <24-px id> <background colour> <label>
button() {
  local small=$1 large=$2 colour=$3 label=$4
  convert -size 16x16 xc:none -fill "$colour" -draw 'roundrectangle 0,0 15,15 3,3' \
    -fill white -font DejaVu-Sans-Bold -pointsize 9 -gravity center -annotate 0 "$label" \
    -depth 8 -define png:color-type=6 "vpng-$small.png"
  convert -size 24x24 xc:none -fill "$colour" -draw 'roundrectangle 0,0 23,23 4,4' \
    -fill white -font DejaVu-Sans-Bold -pointsize 12 -gravity center -annotate 0 "$label" \
    -depth 8 -define png:color-type=6 "vpng-$large.png"
}

# Standard
button 439 438 '#3a6ea5' 'O'
button 442 440 '#3a6ea5' 'P'
button 444 443 '#3a6ea5' 'i'
# Camera
button 400 399 '#4f8a3c' 'Or'
button 402 401 '#4f8a3c' 'Pa'
button 393 394 '#4f8a3c' 'Z'
button 391 392 '#4f8a3c' 'ZW'
button 396 395 '#4f8a3c' 'ZE'
button 389 390 '#4f8a3c' '<'
button 397 398 '#4f8a3c' 'W'
button 403 404 '#4f8a3c' 'LA'
# Display Style
button 432 433 '#8a5a3c' 'X'
button 424 425 '#8a5a3c' 'Wf'
button 427 426 '#8a5a3c' 'HL'
button 428 429 '#8a5a3c' 'S'
button 430 388 '#8a5a3c' 'ST'
# Views
button 450 449 '#6a4c93' 'I'
button 456 455 '#6a4c93' 'T'
button 448 447 '#6a4c93' 'F'
button 454 452 '#6a4c93' 'R'
button 446 445 '#6a4c93' 'B'
button 453 451 '#6a4c93' 'L'

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
