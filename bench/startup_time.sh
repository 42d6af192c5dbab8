#!/usr/bin/env bash
# Times the program from launch to its first frame on screen, the median of several runs:
#
#   bash bench/startup_time.sh [runs] [model]
#
# The model defaults to the sample house of the sample generator. The program runs on the
# current display (inside xvfb-run, say, or with QT_QPA_PLATFORM=offscreen), with its
# settings in a scratch folder; GLIMRA_EXIT_AFTER_FIRST_FRAME makes it print the time its
# first frame is shown and quit. A first run fills the settings and is not counted.
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
build="${GLIMRA_BUILD:-$top/build/dev}"
runs="${1:-11}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
model="${2:-}"
if [[ -z "$model" ]]; then
  "$build/samplegen/glimra_samplegen" "$dir" >/dev/null
  model="$dir/house-5000.twk"
fi

times=()
for ((i = 0; i <= runs; i++)); do
  start="$(date +%s.%N)"
  frame="$(GLIMRA_EXIT_AFTER_FIRST_FRAME=1 XDG_CONFIG_HOME="$dir/config" XDG_DATA_HOME="$dir/data" \
    "$build/app/glimra" "$model" 2>&1 >/dev/null | awk '/^first frame /{print $3}')"
  if [[ -z "$frame" ]]; then
    echo "startup_time: the program showed no frame" >&2
    exit 1
  fi
  if ((i > 0)); then
    times+=("$(awk -v a="$frame" -v b="$start" 'BEGIN {printf "%.4f", a - b}')")
  fi
done
printf '%s\n' "${times[@]}" | sort -n |
  awk '{t[NR] = $1} END {printf "launch to first frame: median %.3f s, best %.3f s, %d runs\n", t[int((NR + 1) / 2)], t[1], NR}'
