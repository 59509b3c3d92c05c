#!/usr/bin/env bash
# Prepares the Wine prefix the tests start from: initialised, Chinese font replacements,
# crash dialog off (it hangs a crashing program under Xvfb), Windows 10 as the version.
# Build folders copy it (scripts/wine-run.sh), so tests never share a registry.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

stamp=$WINE_TEMPLATE/.quillora-ready-v2
[ -f "$stamp" ] && exit 0

echo "setup: preparing the Wine prefix"
rm -rf "$WINE_TEMPLATE"
mkdir -p "$WINE_TEMPLATE"
export WINEPREFIX=$WINE_TEMPLATE
"$WINESERVER" -k 2>/dev/null || true
"$WINE" wineboot --init >/dev/null 2>&1 || true
# The profile's Desktop, Documents, ... are links into the host's home folder: make them
# plain folders so that nothing a test or the demo creates there leaves the prefix.
for link in "$WINE_TEMPLATE"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done
reg() { "$WINE" reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\Fonts\Replacements' /v '微软雅黑' /t REG_SZ /d 'WenQuanYi Micro Hei'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /t REG_SZ /d 'WenQuanYi Micro Hei'
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10
"$WINESERVER" -w
"$WINE" reg query 'HKCU\Software\Wine\Fonts\Replacements' 2>/dev/null | grep -q 'WenQuanYi' || {
  echo "setup: the Wine prefix did not take the font replacements" >&2
  exit 1
}
"$WINESERVER" -w
touch "$stamp"
