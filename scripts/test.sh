#!/usr/bin/env bash
# The whole check, from a fresh machine: setup, build both targets, run every test of the
# x86_64 build under wine64 (GUI tests under Xvfb), check the shipped executable.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
. "$here/wine-env.sh"

t_start=$(date +%s)
bash "$here/setup.sh"
t_setup=$(date +%s)
bash "$here/build.sh"
t_build=$(date +%s)

# The shipped program: a 32-bit GUI executable with the installer's manifest.
exe=$repo/build/i686/QuilloraSetup.exe
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "test: $exe is not a PE32 GUI program" >&2; exit 1; }
/usr/bin/i686-w64-mingw32-objdump -p "$exe" | grep -qi 'DLL Name: libstdc++\|DLL Name: libgcc\|DLL Name: libwinpthread' &&
  { echo "test: $exe depends on mingw runtime DLLs" >&2; exit 1; }
echo "test: $exe: $(stat -c %s "$exe") bytes"

export WINEPREFIX=$repo/build/x86_64/wineprefix
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$0" -k 2>/dev/null || true
  ctest --test-dir "$1" --output-on-failure --timeout 600 -j2
  rc=$?
  "$0" -k 2>/dev/null || true
  exit $rc' "$WINESERVER" "$repo/build/x86_64" || rc=$?
t_test=$(date +%s)

echo "test: timings: setup $((t_setup - t_start)) s, build $((t_build - t_setup)) s, tests $((t_test - t_build)) s"
exit $rc
