# Sourced by the build scripts: lets a clone in any folder share one compiler cache.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/glimra-ccache}"
  export CCACHE_BASEDIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  export CCACHE_NOHASHDIR=true
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
fi
