#!/usr/bin/env bash
# Builds lookout and its Wayland desktops' test in the Debian 13 root and runs the test there
# (sway 1.10, KWin 6.3, GNOME Shell 48, Xwayland 24); prints one closing count.
# Usage: scripts/test-debian13.sh [BUILD_FOLDER]   (as root: the root is entered with chroot)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-debian13}
if [[ ${LOOKOUT_IN_DEBIAN13:-} != 1 ]]; then
  echo "Running the Wayland desktops' test in Debian 13..."
  exec scripts/debian13.sh --packages "cmake g++ make pkg-config libx11-dev libxext-dev libxrandr-dev libxi-dev
    libxtst-dev libgtest-dev xvfb xauth x11-xserver-utils dbus-daemon libwayland-dev wayland-protocols
    librust-wayland-protocols-wlr-dev sway grim xwayland kwin-wayland libsystemd-dev gnome-shell imagemagick" -- env LOOKOUT_IN_DEBIAN13=1 "$0" "$build"
fi

id lookout-test >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin lookout-test
cmake -S . -B "$build" -DLOOKOUT_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target wayland_e2e_test >/dev/null
status=0
"$build/tests/wayland_e2e_test" 2>&1 | tee "$build/wayland.log" || status=1
grep -oP '^\[  SKIPPED \] \K[^ ]+(?= \()' "$build/wayland.log" | sed "s|^|  $build: |" >"$build/skipped.txt" || true
awk '/^\[  PASSED  \] [0-9]+ test/ { ok = $4 } /^\[  FAILED  \] [0-9]+ tests?, listed/ { bad = $4 }
     /^\[  SKIPPED \] [0-9]+ tests?, listed/ { skip = $4 }
     END { printf "Debian 13: %d passed, %d failed, %d skipped\n", ok, (bad || ok ? bad : 1), skip }' "$build/wayland.log"
exit "$status"
