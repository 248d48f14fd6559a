#!/usr/bin/env bash
# Cross-builds Sheetweaver.exe and sheetweaver-convert.exe for 64-bit Windows, statically
# linked, against the toolchain of scripts/windows-toolchain.sh (made once when missing).
# Usage: scripts/build-windows.sh [build-folder] [cmake target...] (default build-windows and
# the two programs; test-windows.sh builds everything, tests included).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(Sheetweaver sheetweaver-convert)
jobs="${JOBS:-$(nproc)}"

bash scripts/install-deps.sh windows
toolchain=$(bash scripts/windows-toolchain.sh | tail -n 1)
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --no-warn-unused-cli -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DSW_WINDOWS_TOOLCHAIN="$toolchain" \
  -DSW_WERROR=ON -DSW_BENCHMARKS=OFF "${launcher[@]}" > /dev/null
if [ "${targets[0]}" = all ]; then
  cmake --build "$build" -j "$jobs"
else
  cmake --build "$build" -j "$jobs" --target "${targets[@]}"
fi
