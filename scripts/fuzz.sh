#!/usr/bin/env bash
# Builds the fuzz preset whole (the program too, with clang) and runs each fuzz target for the
# given number of seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ccache-env.sh
seconds="${1:-20}"
# Metafile text loads fonts through fontconfig, whose caches live as long as the process.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/sanitizer/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cmake --preset fuzz >/dev/null
# The whole preset, the program with it: clang takes what the other compiler lets pass.
cmake --build --preset fuzz -j "$(nproc)"
# Inputs that once made a target fail are read again first, each once: a report fails the run.
for exe in build/fuzz/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  name="$(basename "$exe")"
  found=(fuzz/corpus/"${name#fuzz_}"/*)
  [ -e "${found[0]}" ] || continue
  echo "fuzz: $name reads ${#found[@]} kept input(s)"
  log="build/fuzz/$name.replay.log"
  if ! "$exe" -rss_limit_mb=2048 -timeout=10 "${found[@]}" > "$log" 2>&1; then
    tail -n 120 "$log"
    echo "fuzz: $name fails on a kept input again" >&2
    exit 1
  fi
done
for exe in build/fuzz/fuzz/fuzz_*; do
  [ -x "$exe" ] || continue
  name="$(basename "$exe")"
  corpus="build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/${name#fuzz_}" ] && seeds=("fuzz/seeds/${name#fuzz_}")
  options=()
  [ -f "fuzz/${name#fuzz_}.options" ] && read -r -a options < "fuzz/${name#fuzz_}.options"
  echo "fuzz: $name for ${seconds}s"
  log="build/fuzz/$name.log"
  # A finding prints its whole report; a clean run only its last lines.
  if ! "$exe" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=0 "${options[@]}" "$corpus" "${seeds[@]}" > "$log" 2>&1; then
    grep -v '^#[0-9]' "$log" | tail -n 120
    echo "fuzz: $name found a fault; the input is in $(pwd)" >&2
    exit 1
  fi
  tail -n 3 "$log"
done
echo "fuzz: every target ran without a finding"
