#!/usr/bin/env bash
# Installs what building and testing lookout needs, where it is missing (Debian or Ubuntu).
# Usage: scripts/install-deps.sh [run|test|bench]
set -euo pipefail
echo "Checking the packages lookout needs..."

packages=(cmake g++ make pkg-config libx11-dev libxext-dev libxrandr-dev libxi-dev libxtst-dev)
if [[ "${1:-run}" == test ]]; then
  packages+=(libgtest-dev xvfb xauth x11-utils x11-xserver-utils imagemagick
             g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools icoutils wine wine64 clang
             xserver-xorg-core xserver-xorg-video-dummy dbus-daemon
             openbox xfwm4 kwin-x11 mutter i3-wm awesome fluxbox bspwm twm)
elif [[ "${1:-run}" == bench ]]; then
  packages+=(libbenchmark-dev xvfb xauth jq xrestop)
elif [[ -z "${DISPLAY:-}" ]]; then
  # the demonstration on a virtual screen (xsetroot, xrdb: x11-xserver-utils)
  packages+=(xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick)
fi

install() { # installs those of the packages that are missing
  local missing=() package sudo=""
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install "${packages[@]}"
# The fuzzers' runtime comes with the version of clang the system has.
[[ "${1:-run}" != test ]] || install "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
