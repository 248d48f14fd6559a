#!/usr/bin/env bash
# The Windows build and its tests, on this Linux machine: the Qt-free libraries (support/, the
# HTTP client of update/, the COM core of automation/com/) cross-built with MinGW-w64 for
# 64-bit Windows, their tests run under Wine by ctest, and the libraries built once more for
# 32-bit Windows as a compile check. Also checks the Qt side of the COM bridge for syntax.
# Installs what it needs first.
# Usage: scripts/test-windows.sh [build-folder] (default build-windows; the 32-bit check
# builds in <build-folder>-i686).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
jobs="${JOBS:-$(nproc)}"

bash scripts/install-deps.sh windows

configure=(-G Ninja -DSW_QT=OFF -DSW_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v ccache > /dev/null; then
  configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

echo "== Windows cross-build (x86_64) =="
cmake --no-warn-unused-cli -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake "${configure[@]}" > /dev/null
cmake --build "$build" -j "$jobs"

echo "== Windows cross-build (i686, libraries only) =="
cmake --no-warn-unused-cli -S . -B "$build-i686" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake "${configure[@]}" > /dev/null
libraries=(sw_support sw_update)
if grep -q '^sw_com:' <(cmake --build "$build-i686" --target help); then
  libraries+=(sw_com)
fi
cmake --build "$build-i686" -j "$jobs" --target "${libraries[@]}"

# No Windows build of Qt exists here: the COM adapter and the handle that calls it are checked
# for syntax and warnings against the host's Qt headers with the Windows compiler.
echo "== COM adapter, syntax only (host Qt headers) =="
mapfile -t adapter < <(git ls-files '*automation/comobject.cpp' '*automation/axobject.cpp')
for source in "${adapter[@]}"; do
  # shellcheck disable=SC2046
  x86_64-w64-mingw32-g++-posix -std=c++17 -fsyntax-only -Werror -Wall -Wextra -Wshadow \
    -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wmissing-declarations -Wundef \
    -I. $(pkg-config --cflags-only-I Qt5Core | sed 's/-I/-isystem /g') "$source"
  echo "ok: $source"
done

# The Wine prefix lives in the build folder: made once, quietly, without Mono or Gecko.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== Wine prefix =="
  wineboot --init > /dev/null 2>&1
  wineserver --wait
fi

echo "== tests under Wine =="
status=0
(cd "$build" && ctest --output-on-failure -j "$jobs") || status=$?
# Stop this prefix's Wine server, which would otherwise linger after the last test.
wineserver --kill || true
exit "$status"
