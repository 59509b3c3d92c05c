#!/usr/bin/env bash
# Download throughput of a 256 MiB package from a local nginx, side by side in one run:
#   ours    CCurlDownloader under Wine (digest check included; digest also timed alone)
#   (a)     a minimal libcurl program under Wine with a 128 KiB receive buffer
#   (b)     the Linux curl command line, for context
# Files go to tmpfs so that disk write-back does not blur the comparison; each program
# runs ROUNDS times, interleaved, and its best run counts.
# Builds the x86_64 bench programs first.
#   bench/download/run-download-bench.sh [MiB (256)] [ROUNDS (3)]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mib=${1:-256}
rounds=${2:-3}
bash "$repo/scripts/build.sh" x86_64 >/dev/null
build=$repo/build/x86_64
export WINEPREFIX=$build/wineprefix
scratch=$(mktemp -d /dev/shm/quillora-bench-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

TMPDIR=$scratch "$repo/tools/download_servers/run_with_servers.py" --bench-mib "$mib" -- bash -c '
set -euo pipefail
repo=$1; build=$2; mib=$3; scratch=$4; rounds=$5
url=$QUILLORA_TEST_NGINX/software/bench
out=Z:${scratch//\//\\}
run() { "$repo/scripts/wine-run.sh" "$@" | tr -d "\r"; }
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }
min() { printf "%s\n" "$@" | sort -g | head -1; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
run "$build/bench/download/minimal_curl_bench.exe" "$url" "$out" >/dev/null   # warm the page cache and wineserver
linux=() minimal=() ours=() digest=()
for round in $(seq "$rounds"); do
  t0=$(date +%s.%N); curl -s -L -o "$scratch/linux.bin" "$url"; t1=$(date +%s.%N); rm -f "$scratch/linux.bin"
  linux+=("$(calc "$t1 - $t0")")
  r=$(run "$build/bench/download/minimal_curl_bench.exe" "$url" "$out")
  [ "$(echo "$r" | field result)" = 0 ] || { echo "bench: minimal download failed: $r" >&2; exit 1; }
  minimal+=("$(echo "$r" | field minimal_s)")
  r=$(run "$build/bench/download/download_bench.exe" "$url" "$out")
  [ "$(echo "$r" | field result)" = 1003 ] || { echo "bench: our download failed: $r" >&2; exit 1; }
  ours+=("$(echo "$r" | field ours_total_s)")
  digest+=("$(echo "$r" | field digest_s)")
  echo "round $round: linux ${linux[-1]} s, minimal ${minimal[-1]} s, ours ${ours[-1]} s (MD5 alone ${digest[-1]} s)"
done
linux_s=$(min "${linux[@]}"); minimal_s=$(min "${minimal[@]}"); ours_s=$(min "${ours[@]}"); digest_s=$(min "${digest[@]}")
rate() { awk "BEGIN { printf \"%.1f\", $mib / $1 }"; }
echo "best of $rounds, $mib MiB:"
printf "%-46s %7s MiB/s  (%s s)\n" "ours: CCurlDownloader under Wine, MD5 included" "$(rate "$ours_s")" "$ours_s"
printf "%-46s %7s MiB/s  (%s s)\n" "   MD5 of the file read again, alone" "$(rate "$digest_s")" "$digest_s"
printf "%-46s %7s MiB/s  (%s s)\n" "(a) minimal libcurl under Wine, 128 KiB" "$(rate "$minimal_s")" "$minimal_s"
printf "%-46s %7s MiB/s  (%s s)\n" "(b) Linux curl" "$(rate "$linux_s")" "$linux_s"
printf "ratios: ours/(a) %s   (a)/(b) %s   ours/(b) %s\n" \
  "$(calc "$minimal_s / $ours_s")" "$(calc "$linux_s / $minimal_s")" "$(calc "$linux_s / $ours_s")"
' bench "$repo" "$build" "$mib" "$scratch" "$rounds"
