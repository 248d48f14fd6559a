#!/usr/bin/env bash
# The libraries the Windows build of Sheetweaver links, built once for x86_64-w64-mingw32 and
# kept in a cache folder outside the repository:
#   qt/    Qt 5.15.8 (Core, Gui, Widgets, Network, Test; windows and offscreen platform
#          plugins), static, from Debian's qtbase-opensource-src source package;
#   deps/  zlib, QuaZip 1.x and libxml2, static, from their Debian source packages.
# A prebuilt Qt in ../shared/toolchains/ is used instead of building one when its build-info
# line names the same source version and configure line as below.
# Prints the toolchain folder on its last line of standard output; everything else goes to
# standard error. Usage: scripts/windows-toolchain.sh [--print-configure]
set -euo pipefail
cd "$(dirname "$0")/.."

triplet=x86_64-w64-mingw32
qt_version=5.15.8
qt_configure=(-xplatform win32-g++ -device-option CROSS_COMPILE=$triplet- -opensource
  -confirm-license -release -static -nomake examples -nomake tests -no-opengl -qt-zlib -qt-pcre
  -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -no-dbus -no-icu -no-sql-sqlite
  -no-sql-odbc -no-feature-sql -no-feature-concurrent -no-feature-tabletevent -static-runtime)
if [ "${1:-}" = --print-configure ]; then
  echo "configure -prefix <prefix> ${qt_configure[*]}"
  exit 0
fi

jobs="${JOBS:-$(nproc)}"
cache="${SW_TOOLCHAIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/sheetweaver}"
toolchain="$cache/windows-qt$qt_version-$triplet"
work="$cache/work"
mkdir -p "$cache"

log() { echo "windows-toolchain: $*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Debian's source packages come from the same suites as the binary ones: one deb-src entry
# per suite the machine already uses.
enable_sources() {
  local list=/etc/apt/sources.list.d/sheetweaver-sources.sources wanted
  # The first stanza is the distribution's own archive (the security archive keeps no
  # sources of the packages needed here).
  wanted=$(awk '/^$/ { exit } /^Types:/ { print "Types: deb-src"; next } /^[A-Z]/ { print }' \
    /etc/apt/sources.list.d/debian.sources)
  if [ -f "$list" ] && [ "$(cat "$list")" = "$wanted" ]; then
    return
  fi
  log "adding a deb-src entry"
  echo "$wanted" | as_root tee "$list" > /dev/null
  as_root apt-get update -qq
}

# Unpack Debian's source package $1 into $work/$1 (once) and print the unpacked folder.
fetch_source() {
  local package=$1
  mkdir -p "$work/$package"
  if ! ls -d "$work/$package"/*/debian > /dev/null 2>&1; then
    (cd "$work/$package" && apt-get source -qq "$package" > /dev/null 2>&1) || true
  fi
  if ! ls -d "$work/$package"/*/debian > /dev/null 2>&1; then
    log "cannot fetch Debian's source package $package"
    exit 1
  fi
  dirname "$(ls -d "$work/$package"/*/debian | head -n 1)"
}

prebuilt_info() {
  local info=../shared/toolchains/qt-$qt_version-$triplet-static.BUILD-INFO.txt
  [ -f "$info" ] || return 1
  grep -qF "configure -prefix <prefix> ${qt_configure[*]}" "$info" || return 1
  echo "$info"
}

install_prebuilt_qt() {
  local archive=${1%.BUILD-INFO.txt}.tar.xz
  log "unpacking the prebuilt Qt $(basename "$archive")"
  rm -rf "$toolchain/qt.partial"
  mkdir -p "$toolchain/qt.partial"
  tar -xJf "$archive" -C "$toolchain/qt.partial" --strip-components="$(archive_depth "$archive")"
  (cd "$toolchain/qt.partial" && sh relocate.sh > /dev/null)
  mv "$toolchain/qt.partial" "$toolchain/qt"
}

# Whether the archive's files sit under one top folder (1) or at its root (0).
archive_depth() {
  if tar -tJf "$1" | head -n 20 | grep -q '^\(\./\)\?bin/'; then echo 0; else echo 1; fi
}

build_qt() {
  log "building Qt $qt_version from Debian's source (about 35 minutes on two cores)"
  local source
  source=$(fetch_source qtbase-opensource-src)
  rm -rf "$work/qt-build"
  mkdir -p "$work/qt-build" "$work/bin"
  # Qt's configure calls $triplet-gcc and -g++: those must be the POSIX-thread compilers.
  ln -sf "$(command -v $triplet-gcc-posix)" "$work/bin/$triplet-gcc"
  ln -sf "$(command -v $triplet-g++-posix)" "$work/bin/$triplet-g++"
  (cd "$work/qt-build" && PATH="$work/bin:$PATH" "$source/configure" -prefix "$toolchain/qt.partial" \
    "${qt_configure[@]}" > configure.log 2>&1 && make -j"$jobs" > make.log 2>&1 &&
    make install > install.log 2>&1)
  mv "$toolchain/qt.partial" "$toolchain/qt"
  echo "configure -prefix <prefix> ${qt_configure[*]}" > "$toolchain/qt/BUILD-INFO.txt"
}

# Configure, build and install one CMake project for the target into deps/.
cmake_cross() {
  local source=$1 build=$2
  shift 2
  rm -rf "$build"
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DCMAKE_INSTALL_PREFIX="$toolchain/deps" -DCMAKE_PREFIX_PATH="$toolchain/deps;$toolchain/qt" \
    -DCMAKE_FIND_ROOT_PATH="$toolchain/deps;$toolchain/qt;/usr/$triplet" -DBUILD_SHARED_LIBS=OFF \
    "$@" > "$build.log" 2>&1
  cmake --build "$build" -j "$jobs" >> "$build.log" 2>&1
  cmake --install "$build" >> "$build.log" 2>&1
}

build_zlib() {
  log "building zlib"
  local source build="$work/zlib-build"
  source=$(fetch_source zlib)
  rm -rf "$build"
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-x86_64.cmake" > "$build.log" 2>&1
  # Only the static library: Debian's source leaves out the resources of zlib's DLL.
  cmake --build "$build" -j "$jobs" --target zlibstatic >> "$build.log" 2>&1
  mkdir -p "$toolchain/deps/lib" "$toolchain/deps/include"
  cp "$build/libzlibstatic.a" "$toolchain/deps/lib/libz.a"
  cp "$source/zlib.h" "$build/zconf.h" "$toolchain/deps/include/"
}

build_quazip() {
  log "building QuaZip"
  local source
  source=$(fetch_source libquazip1-qt5)
  cmake_cross "$source" "$work/quazip-build" -DQUAZIP_QT_MAJOR_VERSION=5 -DQUAZIP_FETCH_LIBS=OFF \
    -DQUAZIP_BZIP2=OFF -DQUAZIP_ENABLE_TESTS=OFF -DZLIB_LIBRARY="$toolchain/deps/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$toolchain/deps/include"
}

build_libxml2() {
  log "building libxml2"
  local source
  source=$(fetch_source libxml2)
  cmake_cross "$source" "$work/libxml2-build" -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF \
    -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_HTTP=OFF \
    -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_THREADS=ON -DLIBXML2_WITH_MODULES=OFF
}

main() {
  if [ -f "$toolchain/READY" ]; then
    echo "$toolchain"
    return
  fi
  mkdir -p "$toolchain" "$work"
  if [ ! -d "$toolchain/qt" ]; then
    local info
    if info=$(prebuilt_info); then
      install_prebuilt_qt "$info"
    else
      enable_sources
      build_qt
    fi
  fi
  enable_sources
  rm -rf "$toolchain/deps"
  build_zlib
  build_quazip
  build_libxml2
  touch "$toolchain/READY"
  log "ready: $(du -sh "$toolchain" | cut -f1)"
  echo "$toolchain"
}

main
