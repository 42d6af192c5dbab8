#!/usr/bin/env bash
# Sets the machine up, builds Glimra with its tests and runs every test,
# then builds the fuzz targets with clang and runs each for a short time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/ccache-env.sh
jobs="$(nproc)"

cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

if command -v clang++-14 >/dev/null 2>&1; then
  bash scripts/fuzz.sh "${GLIMRA_FUZZ_SECONDS:-20}"
fi
