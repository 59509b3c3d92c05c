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
if [ ! -f "$WINEPREFIX/.quillora-ready-v1" ]; then
  if [ ! -f "$WINE_TEMPLATE/.quillora-ready-v1" ]; then
    echo "wine-run: no prepared Wine prefix; run scripts/setup.sh" >&2
    exit 2
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  rm -rf "$WINEPREFIX.tmp"
  cp -a "$WINE_TEMPLATE" "$WINEPREFIX.tmp"
  rm -rf "$WINEPREFIX"
  mv "$WINEPREFIX.tmp" "$WINEPREFIX"
fi
exec "$WINE" "$@"
