#!/usr/bin/env bash
# Sets the machine up, builds the program and starts it. Without arguments it opens the
# sample house (made into build/samples, again whenever the sample generator was rebuilt);
# otherwise it passes its arguments to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/ccache-env.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
samples=build/samples
if [ build/release/samplegen/glimra_samplegen -nt "$samples/house-5000.twk" ]; then
    mkdir -p "$samples"
    build/release/samplegen/glimra_samplegen "$samples" >/dev/null
fi
if [ "$#" -eq 0 ]; then
    set -- "$samples/house-5000.twk"
fi
exec build/release/app/glimra "$@"
