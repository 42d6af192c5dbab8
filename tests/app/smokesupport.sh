# Sourced by the smoke scripts that run the program under a virtual X server of their own.
# Nothing here sleeps for a fixed time: every step waits for what it needs to see, within
# a generous limit, so that a loaded machine only makes the run slower.
source "$(dirname "${BASH_SOURCE[0]}")/xserver.sh"

# Seconds any one wait may take (a sanitizer build on a machine loaded on every core).
smoke_limit=${SMOKE_LIMIT:-120}

# smoke_prepare NAME SAMPLEGEN SCREEN TOOL...: exits with 77 when a tool is missing; else
# makes the work folder `work` with the sample models, points the program's folders and its
# window platform into it and starts the X server with one screen of SCREEN. On every way
# out of the script the server and the program end and the folder goes (SMOKE_KEEP keeps
# the folder).
smoke_prepare() {
    local name=$1 samplegen=$2 screen=$3 tool
    shift 3
    for tool in Xvfb xauth mcookie xdotool xwininfo "$@"; do
        command -v "$tool" >/dev/null || { echo "$name: $tool is missing"; exit 77; }
    done
    work=$(mktemp -d)
    trap smoke_cleanup EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
    "$samplegen" "$work" >/dev/null
    mkdir -p "$work/run" "$work/tmp" && chmod 700 "$work/run"
    # The program's temporary files (its undo log) go with the work folder.
    export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
    export TMPDIR="$work/tmp"
    export QT_QPA_PLATFORM=xcb
    xserver_start "$work" "$screen" || { echo "$name: no X server"; exit 1; }
}

smoke_cleanup() {
    smoke_kill_program
    xserver_stop
    [ -n "${SMOKE_KEEP:-}" ] || rm -rf "$work"
}

smoke_kill_program() {
    [ -z "${pid:-}" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "${pace_pid:-}" ] || kill -KILL "$pace_pid" 2>/dev/null || true
}

# smoke_pace_start, smoke_pace_stop: the machine's pace over the time between them, the
# seconds of the clock that a second of one processor's work takes now: 1 on an idle
# machine, about 4 on one four times oversubscribed. A busy loop runs meanwhile (ending by
# itself after three times smoke_limit, longer than any wait measured), and
# smoke_pace_stop prints the clock time over the processor time the loop was given (1 when
# that cannot be read). A time the program promises is checked against its bound scaled by
# the pace, so that only the program, not the machine, can miss it.
smoke_pace_start() {
    (
        # Ended by TERM as by its own end: a loop killed would be reported by the shell.
        trap 'exit 0' TERM
        end=$((SECONDS + 3 * smoke_limit))
        while [ "$SECONDS" -lt "$end" ]; do :; done
    ) &
    pace_pid=$!
    pace_began=$(date +%s.%N)
}

smoke_pace_stop() {
    local ended ticks
    ended=$(date +%s.%N)
    # The loop's user and system time, in clock ticks (fields 14 and 15).
    ticks=$(awk '{print $14 + $15}' "/proc/$pace_pid/stat" 2>/dev/null || echo 0)
    kill -TERM "$pace_pid" 2>/dev/null || true
    wait "$pace_pid" 2>/dev/null || true
    pace_pid=
    awk -v began="$pace_began" -v ended="$ended" -v ticks="$ticks" -v hz="$(getconf CLK_TCK)" \
        'BEGIN { work = ticks / hz; pace = work > 0 ? (ended - began) / work : 1;
                 printf "%.2f", pace < 1 ? 1 : pace }'
}

# smoke_start GLIMRA MODEL LOG: starts the program on the model and waits for its main
# window, named after the model's file, to be mapped; sets `pid` and `main`. The program is
# killed when the calling shell ends before smoke_end. Fails when the program ends first
# or the window does not show within the limit.
smoke_start() {
    local title
    title="^$(basename "$2") - Tarnwick Glimra\$"
    "$1" "$2" >"$3" 2>&1 &
    pid=$!
    # A shell that cleans up already (smoke_prepare's) ends the program with the rest.
    [ -n "$(trap -p EXIT)" ] || trap smoke_kill_program EXIT
    wait_until "$smoke_limit" smoke_window "$title" >/dev/null || return 1
    main=$(smoke_window "$title")
}

# smoke_end: asks the program to end (SIGTERM), waits for it and answers its exit code.
smoke_end() {
    local code=0
    kill -TERM "$pid"
    wait "$pid" || code=$?
    pid=
    return "$code"
}

# smoke_window NAME: the id of the mapped window whose title is NAME (an extended regular
# expression); fails until there is one.
smoke_window() {
    xdotool search --onlyvisible --name "$1" | head -n 1 | grep .
}

# smoke_menu_open: whether one of the program's menus is showing: a window of its own that
# the X server places without a window manager (its type is not always set).
smoke_menu_open() {
    local window
    for window in $(xdotool search --onlyvisible --classname glimra); do
        xwininfo -id "$window" | grep -q "Override Redirect State: yes" && return 0
    done
    return 1
}

smoke_menu_closed() {
    ! smoke_menu_open
}

# smoke_menu WINDOW KEYS...: opens a menu of the window with its Alt key (alt+w), and once
# it shows, types the keys that choose the item; waits for the menu to close.
smoke_menu() {
    local window=$1 opener=$2
    shift 2
    xdotool key --window "$window" "$opener"
    wait_until "$smoke_limit" smoke_menu_open || return 1
    xdotool key "$@"
    wait_until "$smoke_limit" smoke_menu_closed
}

# smoke_focused WINDOW: whether the X server sends the keyboard to the window.
smoke_focused() {
    [ "$(xdotool getwindowfocus)" = "$1" ]
}

# smoke_pixels A B: how many pixels the pictures differ in.
smoke_pixels() {
    local pixels
    pixels=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    echo "${pixels%% *}"
}

# Conditions on a look at the screen, for smoke_settled: any look; one that shows the same
# as the picture REF; one that differs from every REF; one with at least N colours.
smoke_any() { :; }
smoke_like() { [ "$(smoke_pixels "$1" "$2")" = 0 ]; }
smoke_unlike() {
    local look=$1 ref
    shift
    for ref in "$@"; do
        [ "$(smoke_pixels "$look" "$ref")" != 0 ] || return 1
    done
}
smoke_colours() { [ "$(convert "$1" -format %k info:)" -ge "$2" ]; }

# smoke_settled INTO REGION TEST [ARGS...]: looks at the region (WxH+X+Y) of the screen
# until TEST LOOK ARGS... holds on `smoke_looks` (2 unless set) looks in a row, a fifth of
# a second apart, that show the same; INTO gets that look. More looks guard a condition
# that a step on the way could meet too. Fails after smoke_limit seconds, or when the
# program has ended, with INTO holding the last look, for the checks to tell what is
# missing.
smoke_settled() {
    local into=$1 region=$2 start=$SECONDS same=0
    shift 2
    local next="$into.next.png" previous="$into.previous.png"
    rm -f "$previous"
    while :; do
        import -window root "$into.screen.png"
        convert "$into.screen.png" -crop "$region" +repage "$next"
        if [ -f "$previous" ] && smoke_like "$next" "$previous"; then
            same=$((same + 1))
        else
            same=1
        fi
        mv "$next" "$previous"
        if [ "$same" -ge "${smoke_looks:-2}" ] && "$1" "$previous" "${@:2}"; then
            mv "$previous" "$into"
            rm -f "$into.screen.png"
            return 0
        fi
        if [ $((SECONDS - start)) -ge "$smoke_limit" ] || { [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; }; then
            mv "$previous" "$into"
            rm -f "$into.screen.png"
            return 1
        fi
        sleep 0.2
    done
}

# smoke_drawn INTO: waits for the main window's first frame (the middle of the window shows
# the model, more than the few colours of an empty view) and puts the screen into INTO,
# also when the wait fails. Sets X, Y, WIDTH and HEIGHT to the window's place.
smoke_drawn() {
    local drawn=0
    eval "$(xdotool getwindowgeometry --shell "$main")"
    smoke_settled "$1.middle.png" "200x150+$((X + WIDTH / 2 - 100))+$((Y + HEIGHT / 2 - 75))" smoke_colours 8 ||
        drawn=1
    rm -f "$1.middle.png"
    import -window root "$1"
    return "$drawn"
}
