#!/usr/bin/env bash
# Everything a fresh Debian 12 machine needs to build and test the installer: packages,
# the third-party libraries for both targets, and the Wine prefix. Idempotent; a second
# run takes seconds.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" != 0 ]; then
  echo "setup: run as root (it installs Debian packages)" >&2
  exit 1
fi
bash "$here/setup-packages.sh"
bash "$here/build-deps.sh"
bash "$here/setup-wine.sh"
