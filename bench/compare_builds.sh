#!/usr/bin/env bash
# Times two builds of the program from process start to their first frame on screen under
# an X server of its own (Xvfb), runs alternating between them, and prints for each build
# the median of every series, the median over all runs and the peak resident memory:
#
#   bash bench/compare_builds.sh BUILD_A BUILD_B MODEL [series] [runs]   (default: 3 series of 6)
#
# A build is a build folder (build/release, say) holding app/glimra. The main window is
# placed so that the view is 1280 by 1024; the rasteriser keeps two threads unless
# LP_NUM_THREADS says otherwise. Each build first runs once, not counted, to fill its
# settings (pixel format, placement), and every run after starts from those settings.
# GLIMRA_EXIT_AFTER_FIRST_FRAME makes the program print the time its first frame was
# read back for the window, and quit. Runs are timed from just before the program is
# started; the peak memory is GNU time's, of the program's own process. Print the
# machine's load beside the figures: the runs share it.
set -euo pipefail

if [[ $# -lt 3 ]]; then
  sed -n '2,15p' "$0" >&2
  exit 2
fi
builds=("$(cd "$1" && pwd)" "$(cd "$2" && pwd)")
model="$(cd "$(dirname "$3")" && pwd)/$(basename "$3")"
series="${4:-3}"
runs="${5:-6}"
for build in "${builds[@]}"; do
  if [[ ! -x "$build/app/glimra" ]]; then
    echo "compare_builds: $build/app/glimra is missing" >&2
    exit 1
  fi
done
export LP_NUM_THREADS="${LP_NUM_THREADS:-2}"

work="$(mktemp -d)"
xvfb=""
cleanup() {
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A screen with room for a frame whose view is 1280 x 1024 (the frame adds the tool bars
# and the menu, the tab bar and the status bar around it).
display=""
for number in $(seq 90 120); do
  if [[ ! -e "/tmp/.X11-unix/X$number" && ! -e "/tmp/.X$number-lock" ]]; then
    display=":$number"
    break
  fi
done
[[ -n "$display" ]] || { echo "compare_builds: no free display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1400x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
  sleep 0.05
done
export DISPLAY="$display"

# The placement the frame opens with, in the settings store's file.
write_settings() {
  mkdir -p "$1/glimra"
  cat >"$1/glimra/registry.json" <<'EOF'
{"subkeys": {"Software": {"subkeys": {"Orvell Software": {"subkeys": {"Glimra": {"subkeys": {"MainFrame": {"subkeys": {}, "values": {
 "wp.showCmd": {"data": 1, "type": "dword"}, "wp.flags": {"data": 0, "type": "dword"},
 "wp.ptMinPosition.x": {"data": 0, "type": "dword"}, "wp.ptMinPosition.y": {"data": 0, "type": "dword"},
 "wp.ptMaxPosition.x": {"data": 0, "type": "dword"}, "wp.ptMaxPosition.y": {"data": 0, "type": "dword"},
 "wp.left": {"data": 0, "type": "dword"}, "wp.top": {"data": 0, "type": "dword"},
 "wp.right": {"data": 1320, "type": "dword"}, "wp.bottom": {"data": 1138, "type": "dword"}}}}, "values": {}}},
 "values": {}}}, "values": {}}}, "values": {}}
EOF
}

# One run of build number $1 with the settings in $2; appends "seconds kibibytes" to $3.
run_once() {
  local build="${builds[$1]}" settings="$2" out="$3"
  local start frame
  start="$(date +%s.%N)"
  GLIMRA_EXIT_AFTER_FIRST_FRAME=1 XDG_CONFIG_HOME="$settings" XDG_DATA_HOME="$work/data" \
    /usr/bin/time -f "peak %M" -o "$work/time" "$build/app/glimra" "$model" >/dev/null 2>"$work/err" || true
  frame="$(awk '/^first frame /{print $3}' "$work/err")"
  if [[ -z "$frame" ]]; then
    echo "compare_builds: ${builds[$1]} showed no frame:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  echo "$(awk -v a="$frame" -v b="$start" 'BEGIN {printf "%.4f", a - b}') $(awk '/^peak /{print $2}' "$work/time")" >>"$out"
}

for which in 0 1; do
  write_settings "$work/settings-$which"
  run_once "$which" "$work/settings-$which" /dev/null
  cp -r "$work/settings-$which" "$work/warm-$which"
done

median() {
  sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

for ((s = 1; s <= series; s++)); do
  for ((r = 0; r < runs; r++)); do
    # Which build goes first alternates too, so that neither always follows the other.
    for which in $(((r + s) % 2)) $(((r + s + 1) % 2)); do
      rm -rf "$work/settings-$which"
      cp -r "$work/warm-$which" "$work/settings-$which"
      run_once "$which" "$work/settings-$which" "$work/series-$s-$which"
      cat "$work/series-$s-$which" | tail -1 >>"$work/all-$which"
    done
  done
done

echo "load before the summary: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %-40s %s\n' build folder "median seconds by series | all | peak MiB (median, max)"
for which in 0 1; do
  line=""
  for ((s = 1; s <= series; s++)); do
    line+="$(awk '{print $1}' "$work/series-$s-$which" | median) "
  done
  all="$(awk '{print $1}' "$work/all-$which" | median)"
  peak="$(awk '{print $2}' "$work/all-$which" | median)"
  most="$(awk '{print $2}' "$work/all-$which" | sort -n | tail -1)"
  printf '%-6s %-40s %s| %s | %.1f, %.1f\n' "$((which == 0 ? 1 : 2))" "${builds[$which]}" "$line" "$all" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$(awk -v k="$most" 'BEGIN { print k / 1024 }')"
  eval "median_$which=$all; peak_$which=$peak"
done
awk -v a="$median_0" -v b="$median_1" -v m="$peak_0" -v n="$peak_1" \
  'BEGIN { printf "time 1/2 %.3f   peak memory 1-2 %+.1f MiB\n", a / b, (m - n) / 1024 }'
