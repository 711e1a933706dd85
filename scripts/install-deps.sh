#!/usr/bin/env bash
# Installs what building and testing lookout needs, where it is missing (Debian or Ubuntu).
# Usage: scripts/install-deps.sh [run|test|bench]
set -euo pipefail
echo "Checking the packages lookout needs..."

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
# The first of the names that is installed or that apt knows: a few packages are named
# differently in Debian 12 and Ubuntu 22.04 or 24.04. With none known, the first, for apt to name.
first_known() {
  local name
  [[ -n $(find /var/lib/apt/lists -name '*Packages*' -print -quit) ]] || $sudo apt-get update -qq
  for name in "$@"; do
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "install ok installed" ||
       apt-cache show "$name" >/dev/null 2>&1; then
      echo "$name"
      return
    fi
  done
  echo "$1"
}

packages=(cmake g++ make pkg-config libx11-dev libxext-dev libxrandr-dev libxi-dev libxtst-dev libsystemd-dev)
if [[ "${1:-run}" == test ]]; then
  # dbus-daemon: dbus in Ubuntu 22.04; wine64: wine alone where wine64 went.
  packages+=(libgtest-dev xvfb xauth x11-utils x11-xserver-utils imagemagick desktop-file-utils
             g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools wine
             "$(first_known wine64 wine)" clang xserver-xorg-core xserver-xorg-video-dummy "$(first_known dbus-daemon dbus)"
             openbox xfwm4 kwin-x11 mutter i3-wm awesome fluxbox bspwm twm xsettingsd xcompmgr
             sway grim xwayland kwin-wayland gnome-shell libwayland-dev wayland-protocols
             "$(first_known librust-wayland-protocols-wlr-dev librust-wayland-protocols-dev)" debootstrap)
elif [[ "${1:-run}" == bench ]]; then
  packages+=(libbenchmark-dev xvfb xauth jq xrestop)
elif [[ -z "${DISPLAY:-}" ]]; then
  # the demonstration on a virtual screen (xsetroot, xrdb: x11-xserver-utils)
  packages+=(xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick)
fi

install() { # installs those of the packages that are missing
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install "${packages[@]}"
# The fuzzers' runtime comes with the version of clang the system has (in Ubuntu 22.04, with its headers);
# sway refuses root, so tests run as root start it as a user of their own.
if [[ "${1:-run}" == test ]]; then
  id lookout-test >/dev/null 2>&1 || $sudo useradd --system --no-create-home --shell /usr/sbin/nologin lookout-test
  clang=$(clang -dumpversion | cut -d. -f1)
  install "$(first_known "libclang-rt-$clang-dev" "libclang-common-$clang-dev")"
fi
