#!/usr/bin/env bash
# The real window: under a virtual X server the program opens the sample house, draws
# its window, turns the model with a middle-button drag, and ends cleanly (exit code 0)
# when asked to terminate.
# Usage: smoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
samplegen=$2
for tool in xvfb-run xwininfo xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "smoke: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap '[ -n "${SMOKE_KEEP:-}" ] || rm -rf "$work"' EXIT
"$samplegen" "$work" >/dev/null
mkdir -p "$work/run" && chmod 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=xcb

# Inside the server: start, wait for the window named after the model, let it paint,
# take the screen, drag across the middle of the window with the middle button, take
# the screen again, then terminate and hand back the program's exit code.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    glimra=$1 model=$2 shot=$3 turned=$4
    "$glimra" "$model" >"$shot.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 150); do
        xwininfo -root -tree | grep -q "house-5000.twk - Tarnwick Glimra" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 1.5
    import -window root "$shot"
    window=$(xdotool search --name "house-5000.twk - Tarnwick Glimra" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$window")"
    x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2))
    xdotool mousemove "$x" "$y" mousedown 2
    for step in $(seq 1 10); do
        xdotool mousemove $((x + step * 15)) "$y"
        sleep 0.05
    done
    xdotool mouseup 2
    sleep 1
    import -window root "$turned"
    kill -TERM "$pid"
    wait "$pid"
' smoke "$glimra" "$work/house-5000.twk" "$work/shot.png" "$work/turned.png" || {
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
