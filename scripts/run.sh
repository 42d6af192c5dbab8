#!/usr/bin/env bash
# Sets the machine up, builds the program and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/ccache-env.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
exec build/release/app/glimra "$@"
