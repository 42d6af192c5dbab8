#!/usr/bin/env bash
# The real window: under a virtual X server the program opens the sample house, draws
# its window, turns the model with a middle-button drag, and ends cleanly (exit code 0)
# when asked to terminate.
# Usage: smoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
support="$(dirname "$0")/smokesupport.sh"
source "$support"
smoke_prepare smoke "$2" 1024x768x24 import convert compare

# Inside the server: start, wait for the window named after the model and for its first
# frame, take the screen, drag across the middle of the window with the middle button,
# wait for the turned frame, then terminate and hand back the program's exit code.
bash -c '
    set -euo pipefail
    glimra=$1 model=$2 shot=$3 turned=$4
    source "$5"
    smoke_start "$glimra" "$model" "$shot.log"
    # The checks below tell a window that was never drawn.
    smoke_drawn "$shot" || true
    # The turned frame differs from the first in a good part of the picture.
    turned() {
        local changed
        changed=$(smoke_pixels "$shot" "$1")
        [ "$changed" -ge 2000 ] 2>/dev/null
    }
    x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2))
    xdotool mousemove "$x" "$y" mousedown 2
    for step in $(seq 1 10); do
        xdotool mousemove $((x + step * 15)) "$y"
    done
    xdotool mouseup 2
    smoke_settled "$turned" 1024x768+0+0 turned || true
    smoke_end
' smoke "$glimra" "$work/house-5000.twk" "$work/shot.png" "$work/turned.png" "$support" || {
    echo "smoke: the program did not end cleanly"
    cat "$work/shot.png.log"
    exit 1
}

# A drawn main window shows its bars and icons: far more than the two colours of an
# empty screen.
colours=$(convert "$work/shot.png" -format %k info:)
if [ "$colours" -lt 16 ]; then
    echo "smoke: the screen shows $colours colours; no window was drawn"
    cat "$work/shot.png.log"
    exit 1
fi
# The drag turned the model: a good part of the picture changed.
changed=$(smoke_pixels "$work/shot.png" "$work/turned.png")
if ! [ "$changed" -ge 2000 ] 2>/dev/null; then
    echo "smoke: a middle-button drag changed only $changed pixels"
    cat "$work/shot.png.log"
    exit 1
fi
echo "smoke: window drawn with $colours colours, turned by a middle drag ($changed pixels), clean exit"
