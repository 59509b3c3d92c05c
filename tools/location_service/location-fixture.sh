#!/usr/bin/env bash
# Starts and stops the loopback location-and-time service on a free 127.0.0.1 port.
#   location-fixture.sh start DIR   fresh DIR; the port in DIR/service.port, requests in DIR/requests.jsonl
#   location-fixture.sh stop DIR    stops it and removes DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
dir=${2:?folder}

stop() {
  if [ -f "$dir/service.pid" ]; then
    pid=$(cat "$dir/service.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}

start() {
  stop
  mkdir -p "$dir"
  setsid python3 "$here/location_service.py" --port-file "$dir/service.port" --pid-file "$dir/service.pid" \
    --log "$dir/requests.jsonl" --lifetime 1800 </dev/null >>"$dir/service.log" 2>&1 &
  for _ in $(seq 200); do [ -s "$dir/service.port" ] && break; sleep 0.1; done
  if [ ! -s "$dir/service.port" ]; then
    echo "location-fixture: the service did not start" >&2
    cat "$dir/service.log" >&2 || true
    stop
    exit 1
  fi
}

case $action in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
