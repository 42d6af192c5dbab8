#!/usr/bin/env bash
# The real window: under a virtual X server the program opens the sample house, draws
# its window, turns the model with a middle-button drag, and ends cleanly (exit code 0)
# when asked to terminate.
# Usage: smoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
support="$(dirname "$0")/smokesupport.sh"
source "$support"
smoke_prepare smoke "$2" xvfb-run xwininfo xdotool import convert compare

# Inside the server: start, wait for the window named after the model and for its first
# frame, take the screen, drag across the middle of the window with the middle button,
# wait for the turned frame, then terminate and hand back the program's exit code. The
# waits poll the screen (a loaded machine may take long), within a generous time.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    glimra=$1 model=$2 shot=$3 turned=$4
    source "$5"
    smoke_start "$glimra" "$model" "$shot.log"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    middle="200x150+$((X + WIDTH / 2 - 100))+$((Y + HEIGHT / 2 - 75))"
    # The first frame is in when the middle of the window shows the model (more than the
    # few colours of an empty view) and the screen stays the same between two looks.
    drawn() {
        [ "$(convert "$1" -crop "$middle" +repage -format %k info:)" -ge 8 ]
    }
    # The turned frame differs from the first in a good part of the picture.
    turned() {
        local changed
        changed=$(compare -metric AE "$shot" "$1" null: 2>&1 || true)
        [ "${changed%% *}" -ge 2000 ]
    }
    # Polls the screen into the file until the test holds on two equal looks; the last
    # look after a generous time otherwise (the checks below then tell what is missing).
    settled() {
        local into=$1 test=$2 previous="" same
        for _ in $(seq 1 300); do
            kill -0 "$pid" 2>/dev/null || break
            import -window root "$into.next.png"
            if [ -n "$previous" ] && "$test" "$into.next.png"; then
                same=$(compare -metric AE "$previous" "$into.next.png" null: 2>&1 || true)
                if [ "${same%% *}" = 0 ]; then
                    mv "$into.next.png" "$into"
                    return 0
                fi
            fi
            previous="$into.previous.png"
            mv "$into.next.png" "$previous"
            sleep 0.2
        done
        [ -z "$previous" ] || mv "$previous" "$into"
    }
    settled "$shot" drawn
    x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2))
    xdotool mousemove "$x" "$y" mousedown 2
    for step in $(seq 1 10); do
        xdotool mousemove $((x + step * 15)) "$y"
        sleep 0.05
    done
    xdotool mouseup 2
    settled "$turned" turned
    kill -TERM "$pid"
    wait "$pid"
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
changed=$(compare -metric AE "$work/shot.png" "$work/turned.png" null: 2>&1 || true)
if [ "${changed%% *}" -lt 2000 ]; then
    echo "smoke: a middle-button drag changed only $changed pixels"
    cat "$work/shot.png.log"
    exit 1
fi
echo "smoke: window drawn with $colours colours, turned by a middle drag ($changed pixels), clean exit"
