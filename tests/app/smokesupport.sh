# Sourced by the smoke scripts that run the program under a virtual X server.

# smoke_prepare NAME SAMPLEGEN TOOL...: exits with 77 when a tool is missing; else makes
# the work folder `work` (removed at exit unless SMOKE_KEEP is set) with the sample
# models, and points the program's folders and its window platform into it.
smoke_prepare() {
    local name=$1 samplegen=$2 tool
    shift 2
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$name: $tool is missing"; exit 77; }
    done
    work=$(mktemp -d)
    trap '[ -n "${SMOKE_KEEP:-}" ] || rm -rf "$work"' EXIT
    "$samplegen" "$work" >/dev/null
    mkdir -p "$work/run" "$work/tmp" && chmod 700 "$work/run"
    # The program's temporary files (its undo log) go with the work folder.
    export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
    export TMPDIR="$work/tmp"
    export QT_QPA_PLATFORM=xcb
}

# smoke_start GLIMRA MODEL LOG, inside the server: starts the program on the model and
# waits for its main window, named after the model's file (a minute at most, for a loaded
# machine), then a second more; sets `pid` and `main`. Fails when the program ends first.
smoke_start() {
    local title
    title="$(basename "$2") - Tarnwick Glimra"
    "$1" "$2" >"$3" 2>&1 &
    pid=$!
    for _ in $(seq 1 600); do
        xwininfo -root -tree | grep -q "$title" && break
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    sleep 1
    main=$(xdotool search --name "$title" | head -n 1)
}
