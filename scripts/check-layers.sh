#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own, or when a
# folder outside platform/ and app/ includes Qt or EGL. Layers, bottom to top; folders
# on one line form one layer (they build into one library).
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(
  "platform"
  "foundation"
  "imaging"
  "drawapi"
  "model document annotations"
  "render"
  "tools"
  "app"
)

declare -A rank
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

status=0
for folder in "${!rank[@]}"; do
  [[ -d $folder ]] || continue
  own=${rank[$folder]}
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
    [[ -n ${rank[$target]+x} ]] || continue
    if (( rank[$target] > own )); then
      echo "$file:$line: $folder (layer $own) includes from $target (layer ${rank[$target]})"
      status=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$folder" \
             --include='*.h' --include='*.cpp' || true)
  if [[ $folder != platform && $folder != app ]]; then
    if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]+|EGL/|GL/glx)' "$folder" \
         --include='*.h' --include='*.cpp'; then
      echo "$folder: Qt and EGL headers belong in platform/ and app/"
      status=1
    fi
  fi
done
if (( status == 0 )); then echo "layers: every include runs downwards"; fi
exit $status
