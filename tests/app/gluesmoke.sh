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
smoke_prepare gluesmoke "$2" 1280x1024x24 import convert compare

# Where the windows stand after each drag, in x y width height of the Display Settings
# (dx dy dw dh) and of the Model Info (mx my mw mh): the Model Info glued under the Display
# Settings, both moved as one, the Model Info torn off 80 pixels right and 30 down.
export glued='[ "$mx" -eq "$dx" ] && [ "$my" -eq $((dy + dh)) ] && [ "$mw" -eq "$dw" ]'
export moved='[ "$dx" -eq 400 ] && [ "$dy" -eq 100 ] && [ "$mx" -eq "$dx" ] && [ "$my" -eq $((dy + dh)) ]'
export torn='[ "$mx" -eq 480 ] && [ "$my" -eq $((dy + dh + 30)) ]'

bash -c '
    set -euo pipefail
    glimra=$1 model=$2 log=$3 result=$4
    source "$5"
    smoke_start "$glimra" "$model" "$log"
    smoke_drawn "$result.png"
    # Window > Display Settings (the first item, highlighted when the menu opens), then
    # Window > Model Info (the third, after Shadow Settings).
    smoke_menu "$main" alt+w Return
    wait_until "$smoke_limit" smoke_window "^Display Settings\$" >/dev/null
    smoke_menu "$main" alt+w Down Down Return
    wait_until "$smoke_limit" smoke_window "^Model Info" >/dev/null
    info=$(xdotool getwindowname "$(smoke_window "^Model Info")")
    geometry() {
        xwininfo -name "$1" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4}
            /Width/{w=\$2} /Height/{h=\$2} END{print x, y, w, h}"
    }
    place() {
        read -r dx dy dw dh < <(geometry "Display Settings")
        read -r mx my mw mh < <(geometry "$info")
    }
    placed() {
        place
        eval "$1"
    }
    # Drags with the left button from one point to another, waits for the windows to
    # stand as the condition says, and writes down where they are under the step name.
    drag() {
        xdotool mousemove "$1" "$2" mousedown 1
        for step in $(seq 1 10); do
            xdotool mousemove $(($1 + ($3 - $1) * step / 10)) $(($2 + ($4 - $2) * step / 10))
        done
        xdotool mouseup 1
        wait_until "$smoke_limit" placed "$6" || true
        echo "$5 $(geometry "Display Settings") $(geometry "$info")" >>"$result"
    }
    place
    drag $((dx + 100)) $((dy + 8)) 800 68 apart "[ \$dx -eq 700 ] && [ \$dy -eq 60 ]"
    place
    drag $((mx + 100)) $((my + 8)) $((dx + 108)) $((dy + dh + 18)) glued "$glued"
    # Not where the first drag let go of the caption: a press there so soon after would be
    # the second click of a double click.
    drag $((dx + 140)) $((dy + 8)) $((dx - 160)) $((dy + 48)) moved "$moved"
    place
    drag $((mx + 100)) $((my + 8)) $((mx + 180)) $((my + 38)) torn "$torn"
    smoke_end
' gluesmoke "$glimra" "$work/house-5000.twk" "$work/log" "$work/result" "$support" || {
    echo "gluesmoke: the program did not run through"
    cat "$work/log" "$work/result" 2>/dev/null || true
    exit 1
}

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
check glued "$glued"
check moved "$moved"
check torn "$torn"
echo "gluesmoke: glued, moved as one and torn off: $(tr '\n' ';' <"$work/result")"
