#!/usr/bin/env bash
# The real window: under a virtual X server the program opens the sample house, draws
# its window, and ends cleanly (exit code 0) when asked to terminate.
# Usage: smoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
samplegen=$2
for tool in xvfb-run xwininfo import convert; do
    command -v "$tool" >/dev/null || { echo "smoke: $tool is missing"; exit 77; }
done
work=$(mktemp -d)
trap '[ -n "${SMOKE_KEEP:-}" ] || rm -rf "$work"' EXIT
"$samplegen" "$work" >/dev/null
mkdir -p "$work/run" && chmod 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=xcb

# Inside the server: start, wait for the window named after the model, let it paint,
# take the screen, then terminate and hand back the program's exit code.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    glimra=$1 model=$2 shot=$3
    "$glimra" "$model" >"$shot.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 150); do
        xwininfo -root -tree | grep -q "house-5000.twk - Tarnwick Glimra" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    sleep 1.5
    import -window root "$shot"
    kill -TERM "$pid"
    wait "$pid"
' smoke "$glimra" "$work/house-5000.twk" "$work/shot.png" || {
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
echo "smoke: window drawn with $colours colours, clean exit"
