# Sourced by the smoke scripts: a virtual X server of the script's own, and waits for
# conditions in place of fixed sleeps.
#
# The server picks a display no other server holds (-displayfd: it takes the first free
# socket itself, so no lock files are raced) and admits only clients with its cookie.

# wait_until SECONDS COMMAND...: runs the command every tenth of a second until it
# succeeds (0) or SECONDS pass (1). Gives up at once (1) when the program whose id is in
# `pid` has ended, as nothing more will change then.
wait_until() {
    local limit=$1 start=$SECONDS
    shift
    until "$@"; do
        if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
            return 1
        fi
        [ $((SECONDS - start)) -lt "$limit" ] || return 1
        sleep 0.1
    done
}

# xserver_start FOLDER SCREEN: starts Xvfb with one screen of SCREEN (WIDTHxHEIGHTxDEPTH),
# keeping its cookie and display number in FOLDER; exports DISPLAY and XAUTHORITY and sets
# `xserver_pid`. Fails when the server does not come up within a minute.
xserver_start() {
    local folder=$1 screen=$2 cookie number
    cookie=$(mcookie)
    # The server takes every cookie in its file whatever display it is filed under; the
    # clients look theirs up under the display, known only once the server runs.
    : >"$folder/xserver.auth"
    : >"$folder/client.auth"
    xauth -q -f "$folder/xserver.auth" add :0 . "$cookie"
    : >"$folder/xserver.display"
    Xvfb -displayfd 9 -auth "$folder/xserver.auth" -nolisten tcp -noreset -screen 0 "$screen" \
        9>"$folder/xserver.display" >"$folder/xserver.log" 2>&1 &
    xserver_pid=$!
    # The number is written once the server takes connections.
    if ! pid=$xserver_pid wait_until 60 grep -q '^[0-9][0-9]*$' "$folder/xserver.display"; then
        echo "the X server did not start:"
        cat "$folder/xserver.log"
        return 1
    fi
    number=$(cat "$folder/xserver.display")
    xauth -q -f "$folder/client.auth" add ":$number" . "$cookie"
    export DISPLAY=":$number" XAUTHORITY="$folder/client.auth"
}

xserver_gone() {
    ! kill -0 "$xserver_pid" 2>/dev/null
}

# xserver_stop: ends the server started above, if any, and removes what it left: its
# lock file and socket stay behind only when it had to be killed.
xserver_stop() {
    [ -n "${xserver_pid:-}" ] || return 0
    local number=${DISPLAY#:}
    kill -TERM "$xserver_pid" 2>/dev/null || true
    if ! pid= wait_until 10 xserver_gone; then
        kill -KILL "$xserver_pid" 2>/dev/null || true
    fi
    wait "$xserver_pid" 2>/dev/null || true
    if [ -n "$number" ] && [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X$number-lock")" = "$xserver_pid" ]; then
        rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    fi
    xserver_pid=
}
