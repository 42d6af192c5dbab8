#!/usr/bin/env bash
# Times the command-line tools decoding and encoding the same 4000 x 3000 pictures that
# bench/codecs_bench.cpp uses, for comparison with the library's own figures:
#
#   build/dev/bench/glimra_bench --benchmark_filter='Decode|Encode'
#   bash bench/compare_tools.sh [repetitions]
#
# Each command runs the given number of times (default 3); the best wall time is shown.
# The tools write to /dev/null, so only decoding or encoding is measured, plus their
# start-up and file reading.
set -euo pipefail

runs="${1:-3}"
for tool in convert pngtopam jpegtopnm bmptopnm pnmtopng pnmtojpeg ppmtobmp; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "compare_tools: $tool is not installed (ImageMagick and Netpbm are needed)" >&2
    exit 1
  fi
done

dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

# The same pictures as the benchmark: the rose scaled up with noise.
convert rose: -resize '4000x3000!' -attenuate 0.3 +noise Gaussian "$dir/big.ppm"
convert "$dir/big.ppm" -quality 40 "$dir/big.png"
convert "$dir/big.ppm" -quality 90 "$dir/big.jpg"
convert "$dir/big.ppm" BMP3:"$dir/big.bmp"

best_of() {
  local best=""
  for ((i = 0; i < runs; i++)); do
    local start end elapsed
    start=$(date +%s%N)
    bash -c "$1" >/dev/null 2>&1
    end=$(date +%s%N)
    elapsed=$(( (end - start) / 1000000 ))
    if [[ -z "$best" || "$elapsed" -lt "$best" ]]; then
      best="$elapsed"
    fi
  done
  echo "$best"
}

report() {
  printf '%-46s %8s ms\n' "$1" "$(best_of "$2")"
}

cd "$dir"
echo "Decoding 4000 x 3000 (best of $runs)"
report "PNG   convert png -> rgba" "convert big.png -depth 8 rgba:- > /dev/null"
report "PNG   pngtopam" "pngtopam big.png > /dev/null"
report "JPEG  convert jpg -> rgba" "convert big.jpg -depth 8 rgba:- > /dev/null"
report "JPEG  jpegtopnm -dct float -nosmooth" "jpegtopnm -dct float -nosmooth big.jpg > /dev/null"
report "BMP   convert bmp -> rgba" "convert big.bmp -depth 8 rgba:- > /dev/null"
report "BMP   bmptopnm" "bmptopnm big.bmp > /dev/null"
echo
echo "Encoding 4000 x 3000 (best of $runs)"
report "PNG   convert -quality 40 (zlib level 4)" "convert big.ppm -quality 40 png:- > /dev/null"
report "PNG   pnmtopng -compression 4" "pnmtopng -compression 4 big.ppm > /dev/null"
report "JPEG  convert -quality 100" "convert big.ppm -quality 100 jpg:- > /dev/null"
report "JPEG  pnmtojpeg -quality 100 -dct float" "pnmtojpeg -quality 100 -dct float big.ppm > /dev/null"
report "BMP   convert BMP3" "convert big.ppm BMP3:- > /dev/null"
report "BMP   ppmtobmp" "ppmtobmp big.ppm > /dev/null"
