#!/usr/bin/env bash
# Builds the third-party libraries statically for both mingw targets from Debian source
# packages. Results are cached outside the clone, one prefix per target, one stamp per
# package version: a second run only checks the stamps.
#   QUILLORA_CACHE  cache root (default ~/.cache/quillora)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
cache=${QUILLORA_CACHE:-$HOME/.cache/quillora}
srcdir=$cache/src
depsdir=$cache/deps
jobs=$(nproc)
mkdir -p "$srcdir" "$depsdir"

# Source package name -> version we build. Checked against what apt offers on first fetch.
PACKAGES=(curl libjsoncpp pugixml googletest 7zip)

ensure_deb_src() {
  if ! grep -rqs 'deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
    echo "setup: enabling deb-src entries" >&2
    for f in /etc/apt/sources.list.d/*.sources; do
      grep -q '^Types: deb$' "$f" || continue
      sed 's/^Types: deb$/Types: deb-src/' "$f" > "${f%.sources}-src.sources"
    done
    if [ -f /etc/apt/sources.list ]; then
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/quillora-src.list || true
    fi
    apt-get update -qq
  fi
}

# Prints the unpacked source folder of a package, fetching it once.
fetch_source() {
  local pkg=$1 dir
  dir=$(find "$srcdir/$pkg" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | head -n 1 || true)
  if [ -z "$dir" ]; then
    ensure_deb_src
    mkdir -p "$srcdir/$pkg"
    (cd "$srcdir/$pkg" && apt-get source -qq "$pkg" >/dev/null 2>&1) || {
      apt-get update -qq
      (cd "$srcdir/$pkg" && apt-get source -qq "$pkg" >/dev/null)
    }
    dir=$(find "$srcdir/$pkg" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  fi
  echo "$dir"
}

# Version of an unpacked source folder (from debian/changelog).
src_version() { dpkg-parsechangelog -l "$1/debian/changelog" -S Version; }

# Sets COMMON to the CMake arguments every library build shares.
cmake_common() {
  local target=$1
  COMMON=(-DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw.cmake"
          -DQUILLORA_TARGET="$target" -DQUILLORA_DEPS_DIR="$depsdir"
          -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_SHARED_LIBS=OFF
          -DCMAKE_INSTALL_PREFIX="$depsdir/$target"
          "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections"
          "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections")
}

# Configures, builds and installs one CMake project; output goes to the log.
cmake_build() {
  local src=$1 b=$2; shift 2
  cmake -S "$src" -B "$b" "${COMMON[@]}" "$@" >"$b.log" 2>&1 &&
    cmake --build "$b" -j"$jobs" >>"$b.log" 2>&1 &&
    cmake --install "$b" >>"$b.log" 2>&1
}

build_curl() {
  local target=$1 src=$2 b=$3
  cmake_common "$target"
  cmake_build "$src" "$b" \
    -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF -DBUILD_LIBCURL_DOCS=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_MBEDTLS=OFF -DCURL_USE_WOLFSSL=OFF \
    -DENABLE_UNICODE=ON -DCURL_ZLIB=ON \
    -DZLIB_LIBRARY="/usr/$target-w64-mingw32/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$target-w64-mingw32/include" \
    -DCURL_USE_LIBPSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF \
    -DUSE_NGHTTP2=OFF -DUSE_NGHTTP3=OFF -DUSE_QUICHE=OFF -DUSE_MSH3=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
    -DCURL_USE_GSSAPI=OFF -DUSE_LIBRTMP=OFF \
    -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_DISABLE_FTP=ON -DCURL_DISABLE_TELNET=ON \
    -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_TFTP=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_POP3=ON \
    -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_SMTP=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_MQTT=ON \
    -DCURL_DISABLE_SMB=ON \
    -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none -DCURL_CA_FALLBACK=OFF
}

build_libjsoncpp() {
  local target=$1 src=$2 b=$3
  cmake_common "$target"
  cmake_build "$src" "$b" \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DJSONCPP_WITH_EXAMPLE=OFF \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF \
    -DJSONCPP_WITH_CMAKE_PACKAGE=ON
}

build_pugixml() {
  local target=$1 src=$2 b=$3
  cmake_common "$target"
  cmake_build "$src" "$b" \
    -DPUGIXML_BUILD_TESTS=OFF -DPUGIXML_NO_XPATH=ON
}

build_googletest() {
  local target=$1 src=$2 b=$3
  cmake_common "$target"
  cmake_build "$src" "$b" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON
}

# The 7z archive decoder of the LZMA SDK (the C/ folder of Debian's 7zip source), as one
# static library with its headers under include/7z.
build_7zip() {
  local target=$1 src=$2 b=$3
  local cc=/usr/bin/$target-w64-mingw32-gcc-posix ar=/usr/bin/$target-w64-mingw32-ar
  local files="7zAlloc 7zArcIn 7zBuf 7zBuf2 7zCrc 7zCrcOpt 7zDec 7zFile 7zStream Alloc Bcj2 Bra Bra86 BraIA64 CpuArch Delta Lzma2Dec LzmaDec Ppmd7 Ppmd7Dec"
  rm -rf "$b"; mkdir -p "$b"
  local objs=()
  for f in $files; do
    "$cc" -Os -ffunction-sections -fdata-sections -DZ7_PPMD_SUPPORT -DZ7_EXTRACT_ONLY -DUNICODE -D_UNICODE \
      -c "$src/C/$f.c" -o "$b/$f.o" || return 1
    objs+=("$b/$f.o")
  done
  mkdir -p "$depsdir/$target/lib" "$depsdir/$target/include/7z"
  rm -f "$depsdir/$target/lib/lib7zdec.a"
  "$ar" rcs "$depsdir/$target/lib/lib7zdec.a" "${objs[@]}" || return 1
  cp "$src"/C/*.h "$depsdir/$target/include/7z/"
}

for pkg in "${PACKAGES[@]}"; do
  src=$(fetch_source "$pkg")
  ver=$(src_version "$src")
  for target in i686 x86_64; do
    stamp="$depsdir/$target/.stamp-$pkg-$ver"
    [ -f "$stamp" ] && continue
    echo "setup: building $pkg $ver for $target"
    mkdir -p "$depsdir/$target" "$cache/build"
    t0=$(date +%s)
    "build_$pkg" "$target" "$src" "$cache/build/$pkg-$target" || {
      echo "setup: building $pkg for $target failed; log: $cache/build/$pkg-$target.log" >&2
      tail -n 30 "$cache/build/$pkg-$target.log" >&2 || true
      exit 1
    }
    rm -f "$depsdir/$target/.stamp-$pkg-"*
    touch "$stamp"
    echo "setup:   $pkg for $target took $(( $(date +%s) - t0 )) s"
  done
done
