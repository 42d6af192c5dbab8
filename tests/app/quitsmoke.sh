#!/usr/bin/env bash
# A quit in the middle of a long frame: under a virtual X server the program opens a model
# whose first frame takes several seconds (a thousand placements of a polyline of 100,000
# points, which the count admits whole), is sent SIGTERM, or Ctrl+Q from the X
# server's own keyboard, two seconds into that frame, and must end cleanly (exit code 0)
# within a few seconds at the machine's present pace (unheard, the frame would go on for
# a minute and more in the sanitized build), leaving no temporary file beside the model.
# Usage: quitsmoke.sh GLIMRA SAMPLEGEN. Exit code 77: the tools it needs are missing, or
# the frame was over before the signal (a build too fast to test with this model).
set -euo pipefail
glimra=$1
support="$(dirname "$0")/smokesupport.sh"
source "$support"
smoke_prepare quitsmoke "$2" 1024x768x24
"$2" --polylines 1000 100000 "$work" >/dev/null

# quit HOW: inside the server, start, wait for the window, ask the program to end two
# seconds into the frame (HOW: signal or keys), then wait for the end. Prints the request's
# time, the end's time, the exit code and the machine's pace meanwhile; the program prints
# the time its first frame was shown.
quit() {
bash -c '
    glimra=$1 model=$2 log=$3 how=$5
    source "$4"
    GLIMRA_EXIT_AFTER_FIRST_FRAME=1 smoke_start "$glimra" "$model" "$log"
    # The window takes the keyboard at the server; the frame is drawing meanwhile.
    [ "$how" = keys ] && xdotool windowfocus --sync "$main"
    # The frame begins as the window shows, and lasts far longer than this: the request
    # is meant to come in the middle of it, not to wait for anything.
    sleep 2
    smoke_pace_start
    signalled=$(date +%s.%N)
    if [ "$how" = keys ]; then
        xdotool key ctrl+q
    else
        kill -TERM "$pid"
    fi
    ended() { ! kill -0 "$pid" 2>/dev/null; }
    # Only a hang outlasts this; the time the quit took is checked at the pace below.
    wait_until "$smoke_limit" ended || true
    ended=$(date +%s.%N)
    pace=$(smoke_pace_stop)
    if ! ended; then
        kill -KILL "$pid"
        echo "still running"
    fi
    code=0
    wait "$pid" || code=$?
    pid=
    echo "signalled $signalled ended $ended code $code pace $pace"
' quitsmoke "$glimra" "$work/polylines-1000x100000-5000.twk" "$work/run.log" "$support" "$1" >"$work/result.txt"
}

# check WHAT: the run just made ended cleanly in time; 77 when the frame was over first.
# A quit heard within about a second, as the program promises, takes up to 5 s in this
# sanitized build on an idle machine; on a busy one the bound grows with the pace, as the
# rest of a frame that went on unheard would.
check() {
    local result frame signalled ended code pace took bound
    result=$(cat "$work/result.txt")
    frame=$(awk '/^first frame /{print $3}' "$work/run.log")
    read -r _ signalled _ ended _ code _ pace <<<"$(grep '^signalled' "$work/result.txt")"
    if [ -n "$frame" ] && awk -v f="$frame" -v s="$signalled" 'BEGIN {exit !(f < s)}'; then
        echo "quitsmoke: the first frame was over before $1; nothing to test here"
        return 77
    fi
    took=$(awk -v a="$ended" -v b="$signalled" 'BEGIN {printf "%.2f", a - b}')
    bound=$(awk -v p="$pace" 'BEGIN {printf "%.1f", 5 * p}')
    if grep -q "still running" <<<"$result" || [ "$code" != 0 ] || awk -v t="$took" -v b="$bound" 'BEGIN {exit !(t > b)}'; then
        echo "quitsmoke: $1 in the middle of a frame: exit code $code after $took s (at most $bound s at a pace of $pace) ($result)"
        cat "$work/run.log"
        return 1
    fi
    if compgen -G "$work/.saving-*" >/dev/null; then
        echo "quitsmoke: a temporary file was left beside the model"
        return 1
    fi
    echo "quitsmoke: $1 in the middle of the first frame ended the program in $took s (at most $bound s at a pace of $pace), exit code 0"
}

skipped=0
for how in signal keys; do
    quit "$how"
    status=0
    if [ "$how" = signal ]; then check SIGTERM || status=$?; else check Ctrl+Q || status=$?; fi
    [ "$status" = 77 ] && skipped=$((skipped + 1))
    [ "$status" = 0 ] || [ "$status" = 77 ] || exit "$status"
done
[ "$skipped" -lt 2 ] || exit 77
