#!/usr/bin/env bash
# Gluing on the real screen: under a virtual X server the program opens the sample house
# and, from the Window menu, the Display Settings and Model Info windows; a drag of the
# Model Info caption to 10 pixels under the Display Settings (8 to the right) glues it
# there, a drag of the Display Settings moves both, and a drag of the Model Info sideways
# tears it off again.
# Usage: gluesmoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
support="$(dirname "$0")/smokesupport.sh"
source "$support"
smoke_prepare gluesmoke "$2" xvfb-run xwininfo xdotool

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    glimra=$1 model=$2 log=$3 result=$4
    source "$5"
    smoke_start "$glimra" "$model" "$log"
    # Window > Display Settings (the first item, highlighted when the menu opens), then
    # Window > Model Info (the third, after Shadow Settings).
    xdotool key --window "$main" alt+w; sleep 0.5; xdotool key Return; sleep 1
    xdotool key --window "$main" alt+w; sleep 0.5; xdotool key Down Down Return; sleep 1
    geometry() {
        xwininfo -name "$1" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4}
            /Width/{w=\$2} /Height/{h=\$2} END{print x, y, w, h}"
    }
    drag() {
        xdotool mousemove "$1" "$2" mousedown 1
        for step in $(seq 1 10); do
            xdotool mousemove $(($1 + ($3 - $1) * step / 10)) $(($2 + ($4 - $2) * step / 10))
            sleep 0.05
        done
        xdotool mouseup 1
        sleep 0.5
    }
    info=$(xwininfo -root -tree | grep -o "\"Model Info[^\"]*\"" | head -n 1 | tr -d "\"")
    read -r dx dy dw dh < <(geometry "Display Settings")
    drag $((dx + 100)) $((dy + 8)) 800 68
    read -r dx dy dw dh < <(geometry "Display Settings")
    read -r mx my mw mh < <(geometry "$info")
    drag $((mx + 100)) $((my + 8)) $((dx + 108)) $((dy + dh + 18))
    echo "glued $(geometry "Display Settings") $(geometry "$info")" >>"$result"
    drag $((dx + 100)) $((dy + 8)) $((dx - 200)) $((dy + 48))
    echo "moved $(geometry "Display Settings") $(geometry "$info")" >>"$result"
    read -r mx my mw mh < <(geometry "$info")
    drag $((mx + 100)) $((my + 8)) $((mx + 180)) $((my + 38))
    echo "torn $(geometry "Display Settings") $(geometry "$info")" >>"$result"
    kill -TERM "$pid"
    wait "$pid"
' gluesmoke "$glimra" "$work/house-5000.twk" "$work/log" "$work/result" "$support" || {
    echo "gluesmoke: the program did not run through"
    cat "$work/log" "$work/result" 2>/dev/null || true
    exit 1
}

# Each line: a step's name, then x y width height of the Display Settings and of the Model Info.
check() {
    local step=$1 expected=$2
    local line
    line=$(grep "^$step " "$work/result")
    read -r _ dx dy dw dh mx my mw mh <<<"$line"
    if ! eval "$expected"; then
        echo "gluesmoke: after '$step' expected $expected: $line"
        exit 1
    fi
}
check glued '[ "$mx" -eq "$dx" ] && [ "$my" -eq $((dy + dh)) ] && [ "$mw" -eq "$dw" ]'
check moved '[ "$dx" -eq 400 ] && [ "$dy" -eq 100 ] && [ "$mx" -eq "$dx" ] && [ "$my" -eq $((dy + dh)) ]'
check torn '[ "$mx" -eq 480 ] && [ "$my" -eq $((dy + dh + 30)) ]'
echo "gluesmoke: glued, moved as one and torn off: $(tr '\n' ';' <"$work/result")"
