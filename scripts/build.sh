#!/usr/bin/env bash
# Configures and builds both targets: build/i686 (the shipped program) and build/x86_64
# (the same code, which the tests run under wine64).
#   build.sh [i686|x86_64 ...]     default: both
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(i686 x86_64)
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

for t in "${targets[@]}"; do
  b=$repo/build/$t
  if [ ! -f "$b/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$b" "${gen[@]}" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw.cmake" \
      -DQUILLORA_TARGET="$t" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
  fi
  cmake --build "$b" -j"$(nproc)"
done
