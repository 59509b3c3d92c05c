#!/usr/bin/env bash
# Runs the installer's main job. For now: sets up, builds, and starts the x86_64 installer
# under Wine (in a visible window when a display is available, else under Xvfb, where it
# is closed again after a screenshot).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
. "$here/wine-env.sh"
bash "$here/setup.sh"
bash "$here/build.sh"
export WINEPREFIX=$repo/build/x86_64/wineprefix
exe=$repo/build/x86_64/QuilloraSetup.exe
mkdir -p "$repo/out/demo"
if [ -n "${DISPLAY:-}" ]; then
  "$here/wine-run.sh" "$exe"
else
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$0" -k 2>/dev/null || true
    "$1" "$2" & pid=$!
    for i in $(seq 1 100); do xdotool search --name "青蓝工坊" >/dev/null 2>&1 && break; sleep 0.2; done
    sleep 1
    import -window root "$3/out/demo/window.png" 2>/dev/null || true
    xdotool search --name "青蓝工坊" windowclose 2>/dev/null || true
    wait $pid; rc=$?
    "$0" -k 2>/dev/null || true
    exit $rc' "$WINESERVER" "$here/wine-run.sh" "$exe" "$repo"
  echo "demo: screenshot in out/demo/window.png"
fi
