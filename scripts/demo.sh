#!/usr/bin/env bash
# The installer's main job, end to end, on this machine:
#   1. setup and build (scripts/setup.sh, scripts/build.sh);
#   2. a local nginx on a free loopback port serving the two demo packages (1.0.0 and
#      2.0.0, padded to QUILLORA_DEMO_PACKAGE_MIB MiB) behind a 302 to /<md5>/<file>;
#   3. the analytics collector on a free loopback port;
#   4. "VeltoInstallerConfig.ini" beside the x86_64 programs pointing at both (the file
#      that was there before is put back at the end);
#   5. an install of 1.0.0 into a demo folder of the build's Wine prefix (single-stream
#      download, type 1), then an upgrade to 2.0.0 over it (multi-part download, type 3;
#      the installed copy's uninstaller runs first);
#   6. a summary: installed folder and files, registry values, the package's events, the
#      analytics events received in order, the download throughput.
# The installs run in the installer window, driven by clicks with a screenshot of every
# page in out/demo/, once QuilloraSetup.exe has its skinned main window; until then they
# run through the engine program QuilloraEngine.exe, which does the same job without a
# window. Every server started here is stopped when the script ends, however it ends.
#
# Switches (environment):
#   QUILLORA_DEMO_PACKAGE_MIB  size the packages are padded to (32; at least 2)
#   QUILLORA_DEMO_WINDOW       auto (default) | window | engine: which path runs the installs
#   QUILLORA_DEMO_TIMEOUT      seconds a window run may take to reach the finish page (180)
#   QUILLORA_DEMO_KEEP         1: leave the installation and its registry record in the
#                              prefix (default: removed after the summary, through its
#                              own uninstaller, so that tests start from a clean prefix)
set -euo pipefail
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
. "$here/wine-env.sh"

package_mib=${QUILLORA_DEMO_PACKAGE_MIB:-32}
window_mode=${QUILLORA_DEMO_WINDOW:-auto}
[ "$package_mib" -ge 2 ] 2>/dev/null || { echo "demo: QUILLORA_DEMO_PACKAGE_MIB must be a whole number >= 2" >&2; exit 2; }

bash "$here/setup.sh"
bash "$here/build.sh"

build=$repo/build/x86_64
export WINEPREFIX=$build/wineprefix
out=$repo/out/demo
ini=$build/VeltoInstallerConfig.ini
reg_key='HKCU\Software\VelToSoft\Quillora'
demo_root='C:\QuilloraDemo'
demo_dir="$demo_root\\Quillora"
# The package creates its shortcuts here instead of on the prefix's desktop.
export QUILLORA_DEMO_SHELL_DIR="$demo_root\\Shortcuts"

rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d /tmp/quillora-demo.XXXXXX)
server_pids=()
ini_saved=0
window_used=0
demo_failed=0

cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${server_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$ini_saved" = 1 ]; then
    if [ -f "$work/ini.saved" ]; then cp "$work/ini.saved" "$ini"; else rm -f "$ini"; fi
  fi
  # A wineserver left from the window runs would keep their display.
  [ "$window_used" = 1 ] && "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$work"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

say() { printf 'demo: %s\n' "$*"; }
wine_run() { "$here/wine-run.sh" "$@"; }

# Host path of a path inside the prefix (C:\...) or of the host itself (Z:\...).
host_path() {
  local p=${1//\\//}
  case $p in
    [Cc]:/*) printf '%s/drive_c/%s\n' "$WINEPREFIX" "${p:3}" ;;
    [Zz]:/*) printf '/%s\n' "${p:3}" ;;
    *) printf '%s\n' "$p" ;;
  esac
}

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

wait_for_port() {  # port pid
  for _ in $(seq 200); do
    kill -0 "$2" 2>/dev/null || return 1
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# --- the download server ---------------------------------------------------------------
# Publishes build/x86_64/demo/<program>, padded with zeros (the downloaders want more than
# 1 MiB; Windows ignores bytes after the image), as /<md5>/<program> behind a 302 from
# /software/<route>. Sets package_size.
publish_package() {  # route program
  local route=$1 program=$2 file digest
  file=$work/files/$program
  mkdir -p "$work/files"
  cp "$build/demo/$program" "$file"
  truncate -s "$((package_mib * 1048576))" "$file"
  digest=$(md5sum "$file" | cut -d' ' -f1)
  mkdir -p "$work/www/$digest"
  ln "$file" "$work/www/$digest/$program"
  redirects+=("--redirect=/software/$route=/$digest/$program")
  package_size=$(stat -c %s "$file")
}

start_nginx() {
  local port pid
  for _ in 1 2 3 4 5; do
    port=$(free_port)
    python3 "$repo/tools/download_servers/nginx_conf.py" --prefix "$work/nginx" --root "$work/www" \
      --port "$port" "${redirects[@]}" --out "$work/nginx.conf"
    /usr/sbin/nginx -p "$work/nginx" -c "$work/nginx.conf" -e "$work/nginx/error.log" 2>/dev/null &
    pid=$!
    server_pids+=("$pid")
    if wait_for_port "$port" "$pid"; then
      nginx_port=$port
      return 0
    fi
    kill "$pid" 2>/dev/null || true  # the port was taken meanwhile: another one
  done
  echo "demo: nginx did not start (see $work/nginx/error.log)" >&2
  return 1
}

start_collector() {
  mkdir -p "$work/collector"
  python3 "$repo/tools/collector/collector.py" --out-dir "$work/collector" --port-file "$work/collector.port" \
    --lifetime 3600 >"$work/collector.log" 2>&1 &
  local pid=$!
  server_pids+=("$pid")
  for _ in $(seq 200); do
    [ -s "$work/collector.port" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  [ -s "$work/collector.port" ] || { echo "demo: the collector did not start" >&2; cat "$work/collector.log" >&2; return 1; }
  collector_port=$(cat "$work/collector.port")
}

# --- settings and registry -----------------------------------------------------------------
write_settings() {  # download address, download type
  if [ "$ini_saved" = 0 ]; then
    [ -f "$ini" ] && cp "$ini" "$work/ini.saved"
    ini_saved=1
  fi
  printf '[Install]\r\nDownloadUrl=%s\r\nDownloadType=%s\r\nIsCheckNet=false\r\nIsEnableAppAnalytics=true\r\nAnalyticsUrl=%s\r\n' \
    "$1" "$2" "$analytics_url" >"$ini"
}

# "name<TAB>value" for each value of the product's key (nothing when there is no key).
read_registry() {
  wine_run reg query "$reg_key" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ \{1,\}\([^ ]\{1,\}\) \{1,\}REG_[A-Z_]\{1,\} \{1,\}\(.*\)$/\1\t\2/p' || true
}
registry_value() { read_registry | awk -F'\t' -v n="$1" '$1 == n { print $2 }'; }

# The record the installer window writes after a successful install: InstallPath from the
# package's reported folder (else the chosen one); UnInstallEp from the reported entry
# (else folder\uninst.ep), only when that file exists.
record_install_as_window_does() {  # events file, chosen folder
  local folder entry
  folder=$(awk -F'\t' '$2 == 3000 { v = $4 } END { print v }' "$1")
  [ -n "$folder" ] || folder=$2
  entry=$(awk -F'\t' '$2 == 3003 { v = $4 } END { print v }' "$1")
  [ -n "$entry" ] || entry="$folder\\uninst.ep"
  wine_run reg add "$reg_key" /v InstallPath /t REG_SZ /d "$folder" /f >/dev/null
  if [ -f "$(host_path "$entry")" ]; then
    wine_run reg add "$reg_key" /v UnInstallEp /t REG_SZ /d "$entry" /f >/dev/null
  fi
}

# Removes what an earlier demo left: the installation (through its own uninstaller), the
# registry key and the demo folder.
remove_installation() {
  local dir entry
  dir=$(registry_value InstallPath)
  entry=$(registry_value UnInstallEp)
  [ -n "$entry" ] || { [ -n "$dir" ] && entry="$dir\\uninst.ep"; }
  if [ -n "$dir" ] && [ -f "$(host_path "$entry")" ]; then
    wine_run "$build/QuilloraEngine.exe" "--uninstall=$entry" "--old-dir=$dir" >"$work/uninstall.txt" 2>&1 ||
      say "the installed copy's uninstaller failed: $(tr -d '\r' <"$work/uninstall.txt" | tail -1)"
  fi
  wine_run reg delete "$reg_key" /f >/dev/null 2>&1 || true
  rm -rf "$(host_path "$demo_root")"
}

# --- the headless path: QuilloraEngine.exe ------------------------------------------------
engine_supports() {  # option: whether the engine's usage text names it
  local usage
  usage=$(wine_run "$build/QuilloraEngine.exe" --help 2>&1 || true)
  grep -q -- "$1" <<<"$usage"
}

# Each engine event line, stamped with the time it arrived; shown as it comes (download
# progress only counted).
stamp_events() {  # events file
  local line code downloads=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    printf '%s\t%s\n' "$EPOCHREALTIME" "$line" >>"$1"
    code=${line%%$'\t'*}
    if [ "$code" = 1002 ]; then
      downloads=$((downloads + 1))
    else
      [ "$downloads" = 0 ] || printf '  engine: 1002 download progress x%d\n' "$downloads"
      downloads=0
      printf '  engine: %s\n' "${line//$'\t'/ }"
    fi
  done
}

run_engine() {  # name title size engine-arguments...
  local name=$1 title=$2 size=$3 rc=0
  shift 3
  say "$title"
  : >"$work/$name.events.tsv"
  wine_run "$build/QuilloraEngine.exe" "$@" 2>"$work/$name.stderr" | stamp_events "$work/$name.events.tsv" ||
    rc=$?
  printf '%s\t%s\t%s\t%s\n' "$name" "$title" "$name.events.tsv" "$size" >>"$work/runs.tsv"
  cp "$work/$name.events.tsv" "$out/"
  if [ "$rc" != 0 ]; then
    say "$title failed (status $rc)"
    cat "$work/$name.stderr" >&2
    return 1
  fi
}

engine_install() {  # name title size url type [old uninstaller]
  local name=$1 title=$2 size=$3 url=$4 type=$5 old=${6:-}
  local args=("--url=$url" "--dir=$demo_dir" "--download-type=$type" --desktop=true --quicklaunch=true)
  [ -z "$old" ] || args+=("--old-uninstaller=$old")
  # Newer engines do the window's part themselves (milestones, registry record, hand-over)
  # and report through the tracker; older ones leave the record to this script.
  if [ "$engine_session" = 1 ]; then
    args+=(--session "--analytics-url=$analytics_url")
  fi
  run_engine "$name" "$title" "$size" "${args[@]}" || return 1
  if [ "$engine_session" = 1 ]; then
    echo "written by QuilloraEngine.exe --session (the installer window's handling of the events)" \
      >"$work/registry-source.txt"
  else
    record_install_as_window_does "$work/$name.events.tsv" "$demo_dir"
    echo "written by demo.sh from the package's reports (events 3000, 3003) as the installer window does: this engine program does not write it" \
      >"$work/registry-source.txt"
  fi
}

engine_path() {
  engine_session=0
  if engine_supports --session && engine_supports --analytics-url; then engine_session=1; fi
  engine_install install "Run 1: install 1.0.0 into $demo_dir (download type 1)" "$size1" "$url1" 1 || return 1
  # What the window does next time: the installed copy is the default folder, and its
  # uninstaller runs before the new version goes in.
  local dir entry
  dir=$(registry_value InstallPath)
  entry=$(registry_value UnInstallEp)
  [ -n "$entry" ] || entry="$dir\\uninst.ep"
  demo_dir=$dir
  engine_install upgrade "Run 2: upgrade to 2.0.0 over the installed copy (download type 3)" "$size2" "$url2" 3 \
    "$entry" || return 1
  if [ "$engine_session" = 1 ]; then
    echo "from QuilloraEngine.exe --session (the tracker as the installer creates it)" >"$work/analytics-source.txt"
  else
    placeholder_analytics
  fi
}

# The engine program of this build sends no analytics; the installer program does, from
# its settings file. Start it once, let its window come up, close it: its tracker starts
# and flushes at shutdown.
placeholder_analytics() {
  say "starting QuilloraSetup.exe once (window closed again) for its analytics"
  window_used=1
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$0" -k 2>/dev/null || true
    "$1" "$2" & pid=$!
    trap '"'"'kill $pid 2>/dev/null; "$0" -k 2>/dev/null; exit 130'"'"' INT TERM HUP
    for _ in $(seq 150); do xdotool search --name "青蓝工坊" >/dev/null 2>&1 && break; sleep 0.2; done
    sleep 1
    import -window root "$3/placeholder-window.png" 2>/dev/null || true
    xdotool search --name "青蓝工坊" windowclose 2>/dev/null || true
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    "$0" -k 2>/dev/null || true' "$WINESERVER" "$here/wine-run.sh" "$build/QuilloraSetup.exe" "$out"
  echo "from QuilloraSetup.exe, started and closed once (screenshot out/demo/placeholder-window.png): its placeholder window reports nothing, and this build's QuilloraEngine.exe has no tracker" \
    >"$work/analytics-source.txt"
}

# --- the window path: QuilloraSetup.exe driven by clicks ---------------------------------
# The main window's layout is fixed by its window description: 600x400 client area, a
# title bar of 45, and on page 0 the install button 200x46 centred at (300, 228).
readonly install_button_x=300 install_button_y=228
# The title bar's close button, 24x24 at (562, 12).
readonly close_button_x=574 close_button_y=24

has_skinned_window() {
  case $window_mode in
    window) return 0 ;;
    engine) return 1 ;;
  esac
  grep -qs 'CMainWnd' "$repo"/app/*.cpp
}

# The installer's main window: titled 青蓝工坊 and 600 wide (its shadow is a window of its own).
main_window() {
  local id first=
  for id in $(xdotool search --onlyvisible --name '青蓝工坊' 2>/dev/null); do
    [ -n "$first" ] || first=$id
    if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q 'Geometry: 600x'; then
      echo "$id"
      return 0
    fi
  done
  [ -n "$first" ] && echo "$first"
}

shot() { import -window root "$out/$1.png" 2>/dev/null && say "screenshot out/demo/$1.png"; }

# Waits until the registry points at an installation whose Quillora.exe is |product|: the
# window records it when the package reports success, as it shows the finish page. (The
# package file itself goes only when the window closes: it may still be running then.)
wait_for_install() {  # product seconds
  local dir
  for _ in $(seq "$(($2 * 5))"); do
    dir=$(registry_value InstallPath)
    if [ -n "$dir" ] && cmp -s "$(host_path "$dir")/Quillora.exe" "$1"; then
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# One run of the installer window: page 0 (or the installed-copy prompt skipped with
# -insnew=true for the upgrade), the click on the install button, the progress page, the
# finish page; a screenshot of each. Runs inside the display (DISPLAY set).
window_run() {  # name title product extra-arguments...
  local name=$1 title=$2 product=$3 pid wid
  shift 3
  say "$title (in the installer window)"
  "$WINESERVER" -k 2>/dev/null || true
  # The package and the old uninstaller keep a copy of what they tell the installer.
  rm -f "$work/$name.protocol.tsv"
  QUILLORA_DEMO_PROTOCOL_COPY="Z:${work//\//\\}\\$name.protocol.tsv" wine_run "$build/QuilloraSetup.exe" "$@" &
  pid=$!
  for _ in $(seq 150); do
    wid=$(main_window) && [ -n "$wid" ] && break
    sleep 0.2
  done
  [ -n "${wid:-}" ] || { say "the installer window did not appear"; kill "$pid" 2>/dev/null; return 1; }
  sleep 1
  if [ $# = 0 ]; then
    shot "$name-page0-one-click"
    xdotool mousemove --window "$wid" "$install_button_x" "$install_button_y" click 1
  fi
  sleep 1.5
  shot "$name-page2-progress"
  if ! wait_for_install "$product" "${QUILLORA_DEMO_TIMEOUT:-180}"; then
    shot "$name-stuck"
    say "$title did not reach the finish page"
    kill "$pid" 2>/dev/null
    return 1
  fi
  sleep 1
  shot "$name-page3-finished"
  # The finish page closes at once from its close button; a polite close lets the
  # installer shut down in order, which is when the tracker sends what it queued.
  # A product the package started may cover the installer until its front timer fires.
  sleep 3.5
  xdotool windowactivate --sync "$wid" 2>/dev/null || true
  sleep 0.5
  xdotool mousemove --window "$wid" "$close_button_x" "$close_button_y" click 1
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$title" "$name.events.tsv" "$((package_mib * 1048576))" \
    "$name.protocol.tsv" >>"$work/runs.tsv"
}

window_runs() {
  write_settings "$url1" 1
  window_run install "Run 1: install 1.0.0 (download type 1)" "$build/demo/Quillora.exe" || return 1
  write_settings "$url2" 3
  window_run upgrade "Run 2: upgrade to 2.0.0 over the installed copy (download type 3)" \
    "$build/demo/Quillora-2.exe" -insnew=true || return 1
}

window_path() {
  window_used=1
  echo "written by QuilloraSetup.exe after the install (finish page)" >"$work/registry-source.txt"
  echo "from QuilloraSetup.exe" >"$work/analytics-source.txt"
  if [ -n "${DISPLAY:-}" ]; then
    window_runs || return 1
  else
    # xvfb-run is a POSIX shell script, which drops exported bash functions: hand them over as a file.
    declare -f window_runs window_run main_window wait_for_install write_settings shot registry_value read_registry host_path \
      wine_run say >"$work/window-functions.sh"
    export here build out work reg_key url1 url2 install_button_x install_button_y close_button_x close_button_y package_mib analytics_url ini ini_saved WINESERVER
    # The compositor lets the window's shadow blend into the screenshots.
    xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
      set -euo pipefail
      . "$work/window-functions.sh"
      xcompmgr -n >/dev/null 2>&1 & c=$!
      trap '"'"'kill $c 2>/dev/null; "$WINESERVER" -k 2>/dev/null; exit 130'"'"' INT TERM HUP
      rc=0; window_runs || rc=$?
      kill $c; exit $rc' || return 1
  fi
}

# --- the run --------------------------------------------------------------------------
redirects=()
publish_package 477 QuilloraDemoSetup.exe
size1=$package_size
publish_package 477-2 QuilloraDemoSetup-2.exe
size2=$package_size
start_nginx
start_collector
url1=http://127.0.0.1:$nginx_port/software/477
url2=http://127.0.0.1:$nginx_port/software/477-2
analytics_url=http://127.0.0.1:$collector_port/collect/demo
say "download server http://127.0.0.1:$nginx_port (packages of $package_mib MiB), collector http://127.0.0.1:$collector_port"
write_settings "$url1" 1
say "settings: $ini"

remove_installation
: >"$work/runs.tsv"
# A failed run still gets its summary; the status says it failed.
if has_skinned_window; then
  window_path || demo_failed=1
else
  say "QuilloraSetup.exe has no skinned main window yet: the installs run through QuilloraEngine.exe"
  engine_path || demo_failed=1
fi

# Summary, then the servers' last word: every post has been answered by now.
dir=$(registry_value InstallPath)
[ -n "$dir" ] && printf '%s\t%s\n' "$dir" "$(host_path "$dir")" >"$work/folder.txt"
read_registry >"$work/registry.txt"
# Which version the installed product is: the demo build's product programs are the yardstick.
if [ -n "$dir" ]; then
  for product in Quillora.exe:1.0.0 Quillora-2.exe:2.0.0; do
    cmp -s "$(host_path "$dir")/Quillora.exe" "$build/demo/${product%%:*}" &&
      echo "Quillora.exe is the demo product ${product#*:} (build/x86_64/demo/${product%%:*})" >"$work/version.txt"
  done
fi
# Shortcuts, as the prefix names them.
find "$(host_path "$demo_root")/Shortcuts" -name '*.lnk' 2>/dev/null | sort |
  sed "s|^$WINEPREFIX/drive_c/|C:/|; s|/|\\\\|g" >"$work/shortcuts.txt" || true
python3 "$repo/tools/demo/summary.py" --work "$work" | tee "$out/summary.txt"
cp -r "$work/collector" "$out/analytics"
if [ "${QUILLORA_DEMO_KEEP:-0}" = 1 ]; then
  say "the installation stays in $WINEPREFIX (QUILLORA_DEMO_KEEP=1)"
else
  remove_installation
  say "installation removed again through its uninstaller (QUILLORA_DEMO_KEEP=1 keeps it)"
fi
if [ "$demo_failed" = 1 ]; then
  say "FAILED; what there is: out/demo/"
  exit 1
fi
say "done; events, analytics records and summary in out/demo/"
