#!/usr/bin/env bash
# Installs, with apt-get, whatever of Sheetweaver's build and test dependencies is missing
# (with the argument `windows`: those of the Windows cross-build, see scripts/test-windows.sh).
# Idempotent and quiet: a machine that has everything makes no apt call at all.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev clang-format-15
  qtbase5-dev qtbase5-dev-tools libqt5svg5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n
  libquazip1-qt5-dev libxml2-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  python3 python3-openpyxl python3-xlrd python3-xlwt python3-docx
  python3-gi gir1.2-gsf-1  # only benchmarks/hostile_inputs.py, which writes its .doc files with them
  xvfb xauth fonts-noto-cjk
  scdoc man-db desktop-file-utils appstream
)
# `install-deps.sh windows`: what the Windows cross-build and its Wine test run need instead.
if [ "${1:-}" = windows ]; then
  packages=(
    cmake ninja-build ccache pkg-config qtbase5-dev qttools5-dev qttools5-dev-tools
    qttranslations5-l10n googletest dpkg-dev xz-utils zip nsis
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
    xvfb xauth xdotool imagemagick fonts-noto-cjk
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
