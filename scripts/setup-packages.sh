#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: does nothing
# (and asks no registry) when every package is already present.
set -euo pipefail

PKGS=(
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  cmake make ninja-build pkg-config dpkg-dev
  wine wine64 xvfb xauth x11-utils xdotool xcompmgr imagemagick
  fonts-wqy-microhei 7zip libz-mingw-w64-dev
  python3 nginx-light openssl curl file nsis locales
)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The mingw compilers must use the posix thread model (std::thread, std::mutex).
for t in i686 x86_64; do
  update-alternatives --set "$t-w64-mingw32-g++" "/usr/bin/$t-w64-mingw32-g++-posix" >/dev/null 2>&1 || true
  update-alternatives --set "$t-w64-mingw32-gcc" "/usr/bin/$t-w64-mingw32-gcc-posix" >/dev/null 2>&1 || true
done

# The window tests run the installer as a Chinese user does (Wine takes the Windows code page
# from the locale); without the glibc locale, X window titles and non-ASCII file names break.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
