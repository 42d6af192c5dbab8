#!/usr/bin/env bash
# Keys as a keyboard sends them: under a virtual X server, whose own auto-repeat repeats a
# held key, the program opens the sample house. In the Field of View tool a held "3" types
# one "3" and a held Backspace deletes one character; "45", Home, Delete leaves "5" (no
# glyph of Delete's control text), which Enter takes as 5 degrees, and a held Delete deletes
# one character. In the Shadow Settings window a time
# typed from a click into the hours, wherever in them, sets the hours and the minutes, and
# digits typed after the text set the minutes. Each picture is compared with one reached
# another way (single key taps, or the time box stepped with the arrow keys).
# Usage: keysmoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing.
set -euo pipefail
glimra=$1
support="$(dirname "$0")/smokesupport.sh"
source "$support"
smoke_prepare keysmoke "$2" xvfb-run xwininfo xdotool import convert compare

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -euo pipefail
    glimra=$1 model=$2 shots=$3
    source "$4"
    smoke_start "$glimra" "$model" "$shots/log"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    # Takes the region once two looks a little apart agree (a loaded machine draws late).
    crop() {
        local look same
        for look in $(seq 1 40); do
            sleep 0.25
            import -window root "$shots/screen.png"
            convert "$shots/screen.png" -crop "$1" +repage "$shots/$2.next.png"
            if [ "$look" -gt 1 ]; then
                same=$(compare -metric AE "$shots/$2.png" "$shots/$2.next.png" null: 2>&1 || true)
                [ "${same%% *}" = 0 ] && break
            fi
            mv "$shots/$2.next.png" "$shots/$2.png"
        done
        rm -f "$shots/$2.next.png"
    }
    hold() {
        xdotool keydown "$1"
        sleep 1.5
        xdotool keyup "$1"
    }
    pane="360x24+$((X + WIDTH - 360))+$((Y + HEIGHT - 26))"
    # Camera > Field Of View: the menu opens on Top, Field Of View is twelve below.
    xdotool key --window "$main" alt+c; sleep 1
    xdotool key Down Down Down Down Down Down Down Down Down Down Down Down Return; sleep 0.5
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)); sleep 0.3
    hold 3; crop "$pane" held
    xdotool key Escape 3; crop "$pane" once
    xdotool key 3; crop "$pane" twice
    hold BackSpace; crop "$pane" backspace
    xdotool key Escape 5; crop "$pane" five
    xdotool key Return; crop "$pane" fivedegrees
    xdotool key 3 0 Return 4 5 Home Delete; crop "$pane" deleted
    xdotool key Return; crop "$pane" deletedentered
    xdotool key 4 5 Home; hold Delete; crop "$pane" helddelete
    xdotool key Escape Escape

    # Window > Shadow Settings, the second item. The sample house shows 13:30.
    xdotool key --window "$main" alt+w; sleep 1; xdotool key Down Return
    for _ in $(seq 1 50); do
        xwininfo -root -tree | grep -q "\"Shadow Settings\"" && break
        sleep 0.1
    done
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$(xdotool search --name "^Shadow Settings$" | head -n 1)")"
    box="88x20+$((X + 52))+$((Y + 54))"
    at() { xdotool mousemove $((X + $1)) $((Y + 63)) click 1; sleep 0.3; }
    # A click into the Light box takes the focus from the time box, so that no cursor or
    # selection shows in the pictures.
    away() { xdotool mousemove $((X + 280)) $((Y + 134)) click 1; }
    away; crop "$box" start
    at 120; for _ in $(seq 1 15); do xdotool key Down; done
    at 57; for _ in $(seq 1 6); do xdotool key Down; done
    away; crop "$box" stepped
    at 64; xdotool type --delay 100 "13:30"; away; crop "$box" typedback
    at 57; xdotool type --delay 100 "07:15"; away; crop "$box" typed
    at 120; xdotool type --delay 100 "30"; at 64; xdotool type --delay 100 "13"; away; crop "$box" minutes
    kill -TERM "$pid"
    wait "$pid"
' keysmoke "$glimra" "$work/house-5000.twk" "$work" "$support" || {
    echo "keysmoke: the program did not run through"
    cat "$work/log" 2>/dev/null || true
    exit 1
}

differing() {
    local pixels
    pixels=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true)
    echo "${pixels%% *}"
}
failed=0
expect() {
    local what=$1 first=$2 relation=$3 second=$4
    local pixels
    pixels=$(differing "$first" "$second")
    if { [ "$relation" = same ] && [ "$pixels" != 0 ]; } || { [ "$relation" = other ] && [ "$pixels" = 0 ]; }; then
        echo "keysmoke: $what: $first and $second should be $relation ($pixels pixels differ)"
        failed=1
    fi
}
expect "the typed value shows" once other twice
expect "a held 3 types one 3" held same once
expect "a held Backspace deletes one character" backspace same once
expect "45, Home, Delete leaves 5" deleted same five
expect "45, Home, Delete, Enter gives 5 degrees" deletedentered same fivedegrees
expect "the value pane shows the field of view" fivedegrees other five
expect "a held Delete deletes one character" helddelete same five
expect "the arrow keys step the time" stepped other start
expect "13:30 typed from the hours' second digit" typedback same start
expect "07:15 typed from the hours' first digit" typed same stepped
expect "minutes typed after the text" minutes same start
if [ "$failed" != 0 ]; then
    [ -n "${SMOKE_KEEP:-}" ] && echo "keysmoke: pictures kept in $work"
    exit 1
fi
echo "keysmoke: held keys act once, times typed into the part under the cursor"
