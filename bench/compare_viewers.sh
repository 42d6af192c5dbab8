#!/usr/bin/env bash
# Times the whole road from a model file to its first picture, Glimra against f3d, on the
# same generated grids, and prints the medians and their ratios:
#
#   cmake --build --preset dev --target glimra_firstframe glimra_samplegen glimra_bench
#   bash bench/compare_viewers.sh [rounds] [faces ...]      (default: 5 rounds, 100000 1000000)
#
# Glimra reads the grid's model file (from the sample generator, whose camera frames the
# grid) and draws it with its edges through build/dev/bench/glimra_firstframe; f3d reads
# the same triangles as a PLY file (written by the render benchmark) under xvfb-run, once
# without and once with its edges, looking down at 45 degrees. Both draw 1280 by 1024 on
# Mesa's software renderer with two threads, write no picture, and run interleaved so that
# the machine's load falls on all alike. Wall time and peak memory are GNU time's, of the
# program's own process.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds="${1:-5}"
shift || true
sizes=("$@")
if [[ ${#sizes[@]} -eq 0 ]]; then
  sizes=(100000 1000000)
fi

build=build/dev
for program in "$build/bench/glimra_firstframe" "$build/samplegen/glimra_samplegen" "$build/bench/glimra_bench"; do
  if [[ ! -x "$program" ]]; then
    echo "compare_viewers: $program is missing; build the dev preset first" >&2
    exit 1
  fi
done
if ! command -v f3d >/dev/null 2>&1; then
  echo "compare_viewers: installing f3d" >&2
  sudo_cmd=""
  [[ "$(id -u)" -ne 0 ]] && sudo_cmd="sudo"
  $sudo_cmd apt-get install -y -q f3d xvfb xauth >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LP_NUM_THREADS=2
export TMPDIR="$work"

for faces in "${sizes[@]}"; do
  "$build/samplegen/glimra_samplegen" --grid "$faces" "$work" >/dev/null
  # The render benchmark writes the same grid as $TMPDIR/glimra-grid-<faces>.ply.
  "$build/bench/glimra_bench" --benchmark_filter="ReadAndDrawFirstFrame/$faces/" >/dev/null 2>&1
  if [[ ! -s "$work/glimra-grid-$faces.ply" ]]; then
    echo "compare_viewers: the render benchmark wrote no PLY file for $faces faces" >&2
    exit 1
  fi
done

# Runs the command under GNU time; appends "seconds kibibytes" to the file.
measure() {
  local out="$1"
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1 || {
    echo "compare_viewers: failed: $*" >&2
    exit 1
  }
  cat "$work/time" >>"$out"
}

f3d_run() {
  local ply="$1"
  shift
  xvfb-run -a -s '-screen 0 1280x1024x24' /usr/bin/time -f "%e %M" -o "$work/time" \
    f3d --dry-run --up=+Z --camera-elevation-angle=45 --resolution=1280,1024 \
    --output="$work/f3d.png" "$@" "$ply" >/dev/null 2>&1 || {
    echo "compare_viewers: f3d failed on $ply" >&2
    exit 1
  }
}

for ((round = 0; round < rounds; round++)); do
  for faces in "${sizes[@]}"; do
    measure "$work/glimra-$faces" "$build/bench/glimra_firstframe" "$work/grid-$faces-5000.twk"
    f3d_run "$work/glimra-grid-$faces.ply"
    cat "$work/time" >>"$work/f3d-$faces"
    f3d_run "$work/glimra-grid-$faces.ply" --edges
    cat "$work/time" >>"$work/f3dedges-$faces"
  done
done

median() {
  sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
column_median() {
  awk -v c="$2" '{ print $c }' "$1" | median
}

printf '%-9s %-16s %9s %10s\n' faces program seconds "peak MiB"
for faces in "${sizes[@]}"; do
  for name in glimra f3d f3dedges; do
    seconds=$(column_median "$work/$name-$faces" 1)
    kib=$(column_median "$work/$name-$faces" 2)
    printf '%-9s %-16s %9.2f %10.0f\n' "$faces" "$name" "$seconds" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')"
    eval "s_$name=$seconds; m_$name=$kib"
  done
  awk -v g="$s_glimra" -v f="$s_f3dedges" -v gm="$m_glimra" -v fm="$m_f3dedges" -v n="$faces" \
    'BEGIN { printf "%-9s time glimra/f3d-with-edges %.2f   peak memory glimra/f3d-with-edges %.2f\n", n, g / f, gm / fm }'
done
