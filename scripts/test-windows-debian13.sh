#!/usr/bin/env bash
# Runs the Windows program's tests in the Debian 13 root (scripts/debian13.sh), under its Wine 10,
# which handles DPI much as Windows 10 and 11 do; the build goes to build-win13.
set -euo pipefail
echo "Testing the Windows program in Debian 13..."
cd "$(dirname "$0")/.."

packages="cmake g++ make pkg-config libx11-dev libxext-dev libxrandr-dev libxi-dev libxtst-dev libgtest-dev
  xvfb xauth g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools wine wine64 openbox"
sudo=()
((EUID == 0)) || sudo=(sudo)
"${sudo[@]}" scripts/debian13.sh --packages "$(echo $packages)" -- scripts/test-windows.sh build-win13
