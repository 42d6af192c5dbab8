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
smoke_prepare keysmoke "$2" 1280x1024x24 import convert compare

# Each picture is taken once the screen shows what the step should give: the same as an
# earlier picture, or other than it. A picture that does not come within the limit is
# taken as it stands, and the checks below tell what is wrong with it.
bash -c '
    set -euo pipefail
    glimra=$1 model=$2 shots=$3
    source "$4"
    smoke_start "$glimra" "$model" "$shots/log"
    smoke_drawn "$shots/window.png"
    # look NAME TEST [PICTURE...]: the region into NAME.png once TEST holds against the
    # earlier pictures named.
    look() {
        local name=$1 test=$2 pictures=() picture
        shift 2
        for picture in "$@"; do pictures+=("$shots/$picture.png"); done
        smoke_settled "$shots/$name.png" "$region" "$test" "${pictures[@]}" || true
    }
    # A step that more keys lead to passes pictures on the way: it must show for a second.
    steady() { smoke_looks=6 look "$@"; }
    # A held key, as long as the X server takes to repeat it several times.
    hold() {
        xdotool keydown "$1"
        sleep 1.5
        xdotool keyup "$1"
    }
    region="360x24+$((X + WIDTH - 360))+$((Y + HEIGHT - 26))"
    look before smoke_any
    # Camera > Field Of View: the menu opens on Top, Field Of View is twelve below.
    smoke_menu "$main" alt+c Down Down Down Down Down Down Down Down Down Down Down Down Return
    steady ready smoke_unlike before
    wait_until "$smoke_limit" smoke_focused "$main"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    hold 3; steady held smoke_unlike ready
    xdotool key Escape; steady cleared smoke_unlike held
    xdotool key 3; look once smoke_like held
    xdotool key 3; look twice smoke_unlike once
    hold BackSpace; look backspace smoke_like once
    xdotool key Escape; look emptied smoke_like cleared
    xdotool key 5; look five smoke_unlike cleared once
    xdotool key Return; look fivedegrees smoke_unlike five
    xdotool key 3 0 Return 4 5 Home Delete; look deleted smoke_like five
    xdotool key Return; look deletedentered smoke_like fivedegrees
    xdotool key 4 5 Home; hold Delete; look helddelete smoke_like five
    xdotool key Escape Escape

    # Window > Shadow Settings, the second item. The sample house shows 13:30.
    smoke_menu "$main" alt+w Down Return
    wait_until "$smoke_limit" smoke_window "^Shadow Settings\$" >/dev/null
    shadow=$(smoke_window "^Shadow Settings\$")
    eval "$(xdotool getwindowgeometry --shell "$shadow")"
    region="88x20+$((X + 52))+$((Y + 54))"
    at() { xdotool mousemove $((X + $1)) $((Y + 63)) click 1; }
    # A click into the Light box takes the focus from the time box, so that no cursor or
    # selection shows in the pictures.
    away() { xdotool mousemove $((X + 280)) $((Y + 134)) click 1; }
    # The first click gives the window the keyboard.
    away; wait_until "$smoke_limit" smoke_focused "$shadow"
    # The box drawn: its text shows more than the few colours of an empty box.
    painted() { smoke_colours "$1" 4; }
    steady start painted
    at 120; for _ in $(seq 1 15); do xdotool key Down; done
    at 57; for _ in $(seq 1 6); do xdotool key Down; done
    away; steady stepped smoke_unlike start
    at 64; xdotool type --delay 100 "13:30"; away; look typedback smoke_like start
    at 57; xdotool type --delay 100 "07:15"; away; look typed smoke_like stepped
    at 120; xdotool type --delay 100 "30"; at 64; xdotool type --delay 100 "13"; away; look minutes smoke_like start
    smoke_end
' keysmoke "$glimra" "$work/house-5000.twk" "$work" "$support" || {
    echo "keysmoke: the program did not run through"
    cat "$work/log" 2>/dev/null || true
    exit 1
}

differing() {
    smoke_pixels "$work/$1.png" "$work/$2.png"
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
