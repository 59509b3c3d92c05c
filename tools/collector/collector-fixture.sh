#!/usr/bin/env bash
# Starts and stops the collectors that the SDK tests post to, all on free 127.0.0.1 ports.
#   collector-fixture.sh start DIR   fresh DIR with a test CA, server certificates and
#                                    four collectors; their ports in DIR/<name>.port
#   collector-fixture.sh stop DIR    stops them and removes DIR
# Collectors: "http" (plain), "https" (certificate for 127.0.0.1 from DIR/ca.pem),
# "https-wronghost" (same CA, certificate for another host name), "refuse" (refuses
# connections). DIR/other-ca.pem is an authority that signed nothing here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:?start or stop}
dir=${2:?folder}
names=(http https https-wronghost refuse)

stop() {
  local pids=()
  for name in "${names[@]}"; do
    [ -f "$dir/$name.pid" ] && pids+=("$(cat "$dir/$name.pid")")
  done
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$dir"
}

make_cert() {  # name subjectAltName
  openssl req -new -newkey rsa:2048 -nodes -keyout "$dir/$1.key" -out "$dir/$1.csr" -subj "/CN=$1" 2>/dev/null
  printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n' "$2" >"$dir/$1.ext"
  openssl x509 -req -in "$dir/$1.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial -days 2 \
    -sha256 -extfile "$dir/$1.ext" -out "$dir/$1.pem" 2>/dev/null
}

start() {
  stop
  mkdir -p "$dir/out"
  for ca in ca other-ca; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/$ca.key" -out "$dir/$ca.pem" -days 2 \
      -subj "/CN=Quillora test $ca" -addext basicConstraints=critical,CA:TRUE \
      -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
  done
  # libcurl's Schannel host check matches DNS-type names only: name the address both ways.
  make_cert server "IP:127.0.0.1,DNS:127.0.0.1"
  make_cert wronghost "DNS:wrong-host.invalid"

  local common=(--out-dir "$dir/out" --lifetime 1800)
  declare -A extra=(
    [http]=""
    [https]="--tls-cert $dir/server.pem --tls-key $dir/server.key"
    [https-wronghost]="--tls-cert $dir/wronghost.pem --tls-key $dir/wronghost.key"
    [refuse]="--refuse")
  for name in "${names[@]}"; do
    # shellcheck disable=SC2086
    setsid python3 "$here/collector.py" "${common[@]}" ${extra[$name]} --port-file "$dir/$name.port" \
      --pid-file "$dir/$name.pid" </dev/null >>"$dir/$name.log" 2>&1 &
  done
  for name in "${names[@]}"; do
    for _ in $(seq 200); do [ -s "$dir/$name.port" ] && break; sleep 0.1; done
    if [ ! -s "$dir/$name.port" ]; then
      echo "collector-fixture: $name did not start" >&2
      cat "$dir/$name.log" >&2 || true
      stop
      exit 1
    fi
  done
  echo "collector-fixture: started in $dir"
}

case $action in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
