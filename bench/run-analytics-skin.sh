#!/usr/bin/env bash
# Runs the analytics SDK benchmark of the x86_64 build under wine64 against a loopback
# collector, and prints its figures. Builds the x86_64 target first.
#   bench/run-analytics-skin.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
. "$repo/scripts/wine-env.sh"
bash "$repo/scripts/build.sh" x86_64 >/dev/null

dir=$(mktemp -d /tmp/quillora-bench.XXXXXX)
trap 'bash "$repo/tools/collector/collector-fixture.sh" stop "$dir/collector" >/dev/null; rm -rf "$dir"' EXIT
bash "$repo/tools/collector/collector-fixture.sh" start "$dir/collector" >/dev/null
port=$(cat "$dir/collector/http.port")
echo "bench: $(nproc) cores, $(uname -m), collector on 127.0.0.1:$port"
"$repo/scripts/wine-run.sh" --prefix "$repo/build/x86_64/wineprefix" \
  "$repo/build/x86_64/bench/analytics_bench.exe" "http://127.0.0.1:$port/bench"

# The skin: package opening, description parsing and painting of the main window; its last
# figure shows a real window, so it runs under Xvfb.
xvfb-run -a -s "-screen 0 1280x1024x24" "$repo/scripts/wine-run.sh" --prefix "$repo/build/x86_64/wineprefix" \
  "$repo/build/x86_64/bench/skin_bench.exe"
