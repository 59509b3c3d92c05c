#!/usr/bin/env bash
# Start-up and memory of QuilloraSetup.exe under Wine next to a minimal Win32 window program
# (bench/window/window-bench.py), under Xvfb, in a Wine prefix of its own that is removed
# afterwards. The memory figure comes from installing the demo package, padded to MiB, from
# a local nginx.
#   bench/window/run-window-bench.sh [MiB (256)] [ROUNDS (5)]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mib=${1:-256}
rounds=${2:-5}
. "$repo/scripts/wine-env.sh"
bash "$repo/scripts/build.sh" x86_64 >/dev/null
build=$repo/build/x86_64
scratch=$(mktemp -d /tmp/quillora-window-bench.XXXXXX)
export WINEPREFIX=$scratch/prefix
trap 'WINEPREFIX=$WINEPREFIX "$WINESERVER" -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
cp -a "$WINE_TEMPLATE" "$WINEPREFIX"

TMPDIR=$scratch "$repo/tools/download_servers/run_with_servers.py" \
  --padded "bench=$build/demo/QuilloraDemoSetup.exe:$((mib * 1048576))" -- \
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
  'python3 "$1" --build "$2" --rounds "$3" --url "$QUILLORA_TEST_NGINX/software/bench"' \
  bench "$here/window-bench.py" "$build" "$rounds"
