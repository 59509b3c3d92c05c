#!/usr/bin/env bash
# Runs a Windows program of the x86_64 build under wine64, in the build folder's own
# prefix (copied from the prepared template on first use).
#   wine-run.sh --prefix DIR program.exe [arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

if [ "${1:-}" = "--prefix" ]; then
  export WINEPREFIX=$2
  shift 2
fi
: "${WINEPREFIX:?set WINEPREFIX or pass --prefix}"
if [ ! -f "$WINEPREFIX/.quillora-ready-v2" ]; then
  if [ ! -f "$WINE_TEMPLATE/.quillora-ready-v2" ]; then
    echo "wine-run: no prepared Wine prefix; run scripts/setup.sh" >&2
    exit 2
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Tests start in parallel: one copies, the others wait for it.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.quillora-ready-v2" ]; then
      rm -rf "$WINEPREFIX.tmp" "$WINEPREFIX"
      cp -a "$WINE_TEMPLATE" "$WINEPREFIX.tmp"
      mv "$WINEPREFIX.tmp" "$WINEPREFIX"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINE" "$@"
