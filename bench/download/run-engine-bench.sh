#!/usr/bin/env bash
# Download throughput of QuilloraEngine.exe --download-only with download types 1 (single
# stream), 2 (system URL moniker service) and 3 (two ranges) against a local nginx, side by
# side with the minimal libcurl program under Wine and the Linux curl command line. Every
# run is timed from outside, process start included, best of ROUNDS, interleaved. Files go
# to tmpfs.
#   bench/download/run-engine-bench.sh [MiB (256)] [ROUNDS (3)]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
mib=${1:-256}
rounds=${2:-3}
bash "$repo/scripts/build.sh" x86_64 >/dev/null
build=$repo/build/x86_64
export WINEPREFIX=$build/wineprefix
scratch=$(mktemp -d /dev/shm/quillora-engine-bench-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

TMPDIR=$scratch "$repo/tools/download_servers/run_with_servers.py" --bench-mib "$mib" -- bash -c '
set -euo pipefail
repo=$1; build=$2; mib=$3; scratch=$4; rounds=$5
url=$QUILLORA_TEST_NGINX/software/bench
out=Z:${scratch//\//\\}
run() { "$repo/scripts/wine-run.sh" "$@" >"$scratch/out.txt"; }
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
now() { date +%s.%N; }
min() { printf "%s\n" "$@" | sort -g | head -1; }
run "$build/bench/download/minimal_curl_bench.exe" "$url" "$out"   # warm the page cache and wineserver
declare -A best
time_it() {  # name command...
  local name=$1; shift
  local t0 t1; t0=$(now); "$@"; t1=$(now)
  local s; s=$(calc "$t1 - $t0")
  if [ -z "${best[$name]:-}" ] || awk "BEGIN { exit !($s < ${best[$name]}) }"; then best[$name]=$s; fi
  printf " %s %ss" "$name" "$s"
}
engine() {  # type
  run "$build/QuilloraEngine.exe" --download-only --download-type="$1" "--url=$url" "--dir=$out\\e$1"
  tail -1 "$scratch/out.txt" | grep -q "^1003" || { echo "bench: type $1 failed" >&2; cat "$scratch/out.txt" >&2; exit 1; }
  rm -rf "$scratch/e$1"
}
for round in $(seq "$rounds"); do
  printf "round %s:" "$round"
  time_it linux curl -s -L -o "$scratch/linux.bin" "$url"; rm -f "$scratch/linux.bin"
  time_it minimal run "$build/bench/download/minimal_curl_bench.exe" "$url" "$out"
  time_it type1 engine 1
  time_it type2 engine 2
  time_it type3 engine 3
  echo
done
rate() { awk "BEGIN { printf \"%.1f\", $mib / $1 }"; }
echo "best of $rounds, $mib MiB, wall time with process start:"
for name in type1 type2 type3 minimal linux; do
  printf "%-8s %7s MiB/s  (%s s)  minimal/this %s  linux/this %s\n" "$name" "$(rate "${best[$name]}")" "${best[$name]}" \
    "$(calc "${best[minimal]} / ${best[$name]}")" "$(calc "${best[linux]} / ${best[$name]}")"
done
' bench "$repo" "$build" "$mib" "$scratch" "$rounds"
