#!/usr/bin/env bash
# Every benchmark in bench/, one after the other, then one table of their figures, each
# next to its baseline as a ratio:
#   stub size        stripped i686 QuilloraSetup.exe against the 2.5 MB budget, by section
#   first paint      bench/window/run-window-bench.sh: process start to the first painted
#                    main window, against a minimal Win32 window program started the same way
#   working set      the same: peak working set of the installer while it downloads and
#                    installs the demo package, against the 40 MB budget (and Wine's floor)
#   analytics, skin  bench/run-analytics-skin.sh: records queued per second, against records
#                    posted; the skin's open, parse and paint times
#   download         bench/download/run-download-bench.sh: CCurlDownloader under Wine
#                    against the minimal libcurl program (Wine) and Linux curl
#   engine program   bench/download/run-engine-bench.sh: QuilloraEngine.exe download
#                    types 1, 2, 3 against the same two
# Each benchmark's full output goes to out/bench/<name>.txt. A benchmark that fails is
# marked in the table and makes the status non-zero; the others still run.
#   bench/run.sh [MiB (256)] [ROUNDS (3)]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
mib=${1:-256}
rounds=${2:-3}
out=$repo/out/bench
mkdir -p "$out"
failed=0
rows=()

row() { rows+=("$(printf '%-16s|%-44s|%-34s|%s' "$@")"); }
calc() { awk "BEGIN { printf \"%.2f\", $1 }"; }

run_bench() {  # name command...
  local name=$1
  shift
  echo "== $name: $*"
  if "$@" 2>&1 | tee "$out/$name.txt"; then
    return 0
  fi
  failed=1
  row "$name" "FAILED (out/bench/$name.txt)" "" ""
  return 1
}

bash "$repo/scripts/build.sh" >/dev/null || { echo "bench: build failed" >&2; exit 1; }

# Stub size: what the shipped program weighs once stripped, and of what.
exe=$repo/build/i686/QuilloraSetup.exe
stripped=$(mktemp /tmp/quillora-stub.XXXXXX)
i686-w64-mingw32-strip -o "$stripped" "$exe"
size=$(stat -c %s "$stripped")
sections=
while read -r _ name bytes _; do
  [[ $name == .* ]] && sections+="$name $(((16#$bytes + 512) / 1024)) KiB, "
done < <(i686-w64-mingw32-objdump -h "$stripped")
rm -f "$stripped"
{
  echo "stripped i686 QuilloraSetup.exe: $size bytes"
  echo "sections: ${sections%, }"
  echo "(.text: our code with the static libraries (libcurl, zlib, 7z decoder, C++ runtime); .rsrc: skin package, manifest, version)"
} | tee "$out/stub-size.txt"
row "stub size" "$(calc "$size / 1000000") MB stripped" "budget 2.5 MB" "$(calc "$size / 2500000") of budget (target <= 1)"

if run_bench window bash "$here/window/run-window-bench.sh" "$mib" 5; then
  setup=$(sed -n 's/^  QuilloraSetup.exe *\([0-9.]*\) ms.*/\1/p' "$out/window.txt")
  minimal=$(sed -n 's/^  minimal_window.exe *\([0-9.]*\) ms.*/\1/p' "$out/window.txt")
  row "first paint" "QuilloraSetup.exe $setup ms" "minimal window $minimal ms" \
    "$(calc "$setup / $minimal")x (target <= 1.5)"
  peak=$(sed -n 's/^installer peak working set during download and install: \([0-9.]*\) MiB.*/\1/p' "$out/window.txt")
  floor=$(sed -n 's/^minimal window peak working set: \([0-9.]*\) MiB.*/\1/p' "$out/window.txt")
  row "working set" "installer peak $peak MiB ($mib MiB package)" "budget 40 MB; minimal window $floor MiB" \
    "$(calc "$peak * 1048576 / 40000000") of budget"
fi

if run_bench analytics bash "$here/run-analytics-skin.sh"; then
  queued=$(sed -n 's/^records built and queued: .* = \([0-9.]*\) records\/s.*/\1/p' "$out/analytics.txt")
  posted=$(sed -n 's/^batches compressed+encoded+posted: .*(\([0-9.]*\) records\/s).*/\1/p' "$out/analytics.txt")
  row "analytics" "$queued records/s queued" "$posted records/s posted (30 a batch)" \
    "$(calc "$queued / $posted")x"
  paint=$(sed -n 's/^real main window: open package to first paint *\([0-9.]*\) ms.*/\1/p' "$out/analytics.txt")
  skin=$(sed -n 's/^  total *\([0-9.]*\) ms.*/\1/p' "$out/analytics.txt")
  [ -z "$paint" ] || row "skin" "window creation to first paint $paint ms" "offscreen open+parse+paint $skin ms" \
    "$(calc "$paint / $skin")x"
fi

if run_bench download bash "$here/download/run-download-bench.sh" "$mib" "$rounds"; then
  ours=$(sed -n 's/^ours: .* \([0-9.]*\) MiB\/s .*/\1/p' "$out/download.txt")
  minimal=$(sed -n 's/^(a) minimal.* \([0-9.]*\) MiB\/s .*/\1/p' "$out/download.txt")
  linux=$(sed -n 's/^(b) Linux curl.* \([0-9.]*\) MiB\/s .*/\1/p' "$out/download.txt")
  row "download" "CCurlDownloader $ours MiB/s ($mib MiB)" "minimal libcurl (Wine) $minimal MiB/s" \
    "$(calc "$ours / $minimal")x (target >= 0.9)"
  row "" "" "Linux curl $linux MiB/s" "$(calc "$ours / $linux")x"
fi

if run_bench engine bash "$here/download/run-engine-bench.sh" "$mib" "$rounds"; then
  for t in 1 2 3; do
    line=$(grep "^type$t " "$out/engine.txt")
    rate=$(awk '{ print $2 }' <<<"$line")
    vs_minimal=$(sed -n 's/.*minimal\/this \([0-9.]*\).*/\1/p' <<<"$line")
    vs_linux=$(sed -n 's/.*linux\/this \([0-9.]*\).*/\1/p' <<<"$line")
    row "engine type $t" "QuilloraEngine.exe $rate MiB/s (with start)" "minimal libcurl (Wine), Linux curl" \
      "${vs_minimal}x, ${vs_linux}x"
  done
fi

echo
echo "==== benchmarks ($(nproc) cores, $(date -u +%Y-%m-%dT%H:%MZ)) ===="
printf '%-16s|%-44s|%-34s|%s\n' "benchmark" "figure" "baseline" "ratio"
printf '%s\n' "${rows[@]}"
exit $failed
