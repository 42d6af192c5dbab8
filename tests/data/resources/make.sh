#!/usr/bin/env bash
# Makes the pictures of the embedded-resource tests. Run it from anywhere; it writes
# beside itself. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# 3 × 2 pixels: a red top row, a blue bottom row.
rows=(-size 3x1 xc:'#FF0000' -size 3x1 xc:'#0000FF' -append)
convert "${rows[@]}" -type TrueColor BMP3:"$tmp/rows.bmp"
# A bitmap resource is the file without its 14-byte file header.
tail -c +15 "$tmp/rows.bmp" > rows.dib
convert "${rows[@]}" -define png:color-type=2 PNG24:rows.png
