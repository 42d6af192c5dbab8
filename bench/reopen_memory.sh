#!/usr/bin/env bash
# What the program keeps resident as the user opens one file after another through
# File > Open, as a user does:
#
#   bash bench/reopen_memory.sh [--move] ROUNDS FOLDER FILE...
#
# starts the program on FOLDER/house-5000.twk under a virtual X server of its own (3840 x
# 2120, openbox) at nearly the screen's size, opens each FILE of FOLDER in turn ROUNDS
# times over through the Open dialog (xdotool types the path), then FOLDER/house-4000.twk,
# and prints the resident size after each open, once the program has stopped working.
# With --move each open is followed by one wheel notch over the view and a 0.5 s orbit
# drag (middle button), as a user looks at what opened, before the program is measured.
# With gdb present it also prints the bytes the C library's heap hands out then. The
# samples come from glimra_samplegen (FOLDER with the house, --grid, --bigfontlabels,
# --materials, --dimensions, --boxplanes ...). GLIMRA_BUILD names the build (release);
# SCREEN another screen size (WIDTHxHEIGHT), the window again nearly as large.
set -uo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
source "$top/tests/app/xserver.sh"
glimra="${GLIMRA_BUILD:-$top/build/release}/app/glimra"
move=false
[ "${1:-}" != --move ] || { move=true; shift; }
rounds=$1 samples=$2
shift 2
for tool in Xvfb xauth mcookie xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "reopen_memory: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
mkdir -p "$work/run" "$work/tmp" && chmod 700 "$work/run"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
export TMPDIR="$work/tmp" QT_QPA_PLATFORM=xcb
cleanup() {
  [ -z "${pid:-}" ] || kill -KILL "$pid" 2>/dev/null
  [ -z "${wm:-}" ] || kill "$wm" 2>/dev/null
  xserver_stop
  rm -rf "$work"
}
trap cleanup EXIT
screen=${SCREEN:-3840x2120}
xserver_start "$work" "${screen}x24" || exit 1
openbox >/dev/null 2>&1 &
wm=$!
"$glimra" "$samples/house-5000.twk" >"$work/log" 2>&1 &
pid=$!

window() { xdotool search --onlyvisible --name "$1" | head -n 1 | grep .; }
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
# The program took no processor time for most of a second.
idle() {
  local before
  before=$(cpu)
  sleep 0.7
  [ "$before" = "$(cpu)" ]
}
resident() {
  local heap=""
  if command -v gdb >/dev/null; then
    gdb -p "$pid" -batch -ex 'call (void)malloc_stats()' >/dev/null 2>&1
    heap=$(grep -a "in use bytes" "$work/log" | tail -n 1 | awk '{printf ", heap %d MB", $NF / 1048576}')
  fi
  awk -v heap="$heap" '/VmRSS/{printf "resident %d MB%s\n", $2 / 1024, heap}' "/proc/$pid/status"
}
title() { echo "^$(basename "$1") - Tarnwick Glimra\$"; }

wait_until 120 window "$(title house-5000.twk)" >/dev/null || { echo "no window" >&2; exit 1; }
main=$(window "$(title house-5000.twk)")
xdotool windowsize "$main" $((${screen%x*} - 40)) $((${screen#*x} - 70))
wait_until 60 idle
echo "house-5000.twk at start: $(resident)"

open_file() {
  xdotool windowactivate --sync "$main" 2>/dev/null
  xdotool key --window "$main" ctrl+o
  wait_until 60 window "^Open" >/dev/null || { echo "no Open dialog" >&2; return 1; }
  xdotool windowactivate --sync "$(window "^Open")" 2>/dev/null
  xdotool type --delay 2 "$1"
  xdotool key Return
  wait_until 300 window "$(title "$1")" >/dev/null || { echo "$(basename "$1") did not open" >&2; return 1; }
  wait_until 300 idle
}

# One notch over the middle of the window; once the program is quiet again, the middle
# button dragged across it for half a second in twenty steps.
look_around() {
  local x=$((width / 2)) y=$((height / 2)) step drag=()
  xdotool mousemove --window "$main" "$x" "$y"
  xdotool click 4
  wait_until 120 idle
  for ((step = 1; step <= 20; step++)); do
    drag+=(mousemove --window "$main" $((x + step * 15)) $((y + step * 5)) sleep 0.025)
  done
  xdotool mousedown 2 "${drag[@]}" mouseup 2
  wait_until 120 idle
}

eval "$(xdotool getwindowgeometry --shell "$main")"
width=$WIDTH height=$HEIGHT
count=0
for ((round = 1; round <= rounds; round++)); do
  for file in "$@"; do
    open_file "$samples/$file" || exit 1
    ! $move || look_around
    count=$((count + 1))
    echo "$count $file: $(resident)"
  done
done
open_file "$samples/house-4000.twk" || exit 1
! $move || look_around
echo "house-4000.twk at the end: $(resident)"
