#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW and runs them under Wine on a virtual screen.
# Usage: scripts/test-windows.sh [build folder [Linux build folder]]   (default: build-win, and linux-tests in it)
set -Eeuo pipefail
echo "Testing the Windows program: MinGW build, Wine on Xvfb..."

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-win}")
linux=$(realpath -m "${2:-$build/linux-tests}") # where the Linux test programs are built
# A stage that ends early says where and why; the closing count then shows one failure.
trap 'echo "test-windows.sh: stopped at line $LINENO, status $?: $BASH_COMMAND" >&2' ERR
step() { # step WHAT COMMAND...: runs a step, its output shown only if it fails
  local what=$1 log
  shift
  log=$(mktemp)
  "$@" >"$log" 2>&1 || { local status=$?; echo "test-windows.sh: $what failed (status $status):" >&2; cat "$log" >&2; rm -f "$log"; return "$status"; }
  rm -f "$log"
}

# The Windows programs as a user builds them (Release), the Linux ones with debug information.
step "configuring the Windows build" cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release
step "building the Windows programs" cmake --build "$build" -j2
step "configuring the Linux test programs" cmake -S "$root" -B "$linux" -DLOOKOUT_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
step "building the Linux test programs" cmake --build "$linux" -j2 --target profile_differential_test wine_e2e_test
windows="$root/tests/windows"

work=$(mktemp -d /tmp/lookout-windows-tests.XXXXXX)
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset XDG_RUNTIME_DIR
mkdir -p "$HOME" "$work/bin"
# The tester may not reach the build folder (a clone in /root): what it runs is copied to its own.
cp "$build/lookout.exe" "$build/dpi_change_probe.exe" "$build/exe_probe.exe" "$build/profile_probe.exe" \
  "$linux/tests/profile_differential_test" "$linux/tests/wine_e2e_test" "$root/resources/lookout.bmp" "$work/bin"
cd "$work/bin"
# Wine run by root writes over read-only files; a Windows user can't: test as an ordinary user.
tester=()
if ((EUID == 0)); then
  chown -R 65534:65534 "$work"
  tester=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
as_tester() { "${tester[@]}" "$@"; }

xvfb="" current=""
cleanup() {
  [[ -z $current ]] || { kill "$current" 2>/dev/null; wait "$current" 2>/dev/null; } || true
  if [[ -d $WINEPREFIX ]]; then
    as_tester wineserver -k 2>/dev/null || true
    as_tester wineserver -w 2>/dev/null || true
  fi
  [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

source "$root/scripts/xvfb.sh"
start_xvfb "$work" -wr
step "making the Wine prefix (wineboot)" as_tester wineboot -i

passed=0 failed=0 skipped=0 skipped_names=()
# Runs one gtest program and adds up its counts; a program that ends without them counts as one failure.
run() { # run NAME COMMAND...
  local name=$1 status=0 log="$work/$1.log"
  shift
  echo "--- $name"
  timeout --kill-after=10 900 "$@" >"$log.raw" 2>&1 &
  current=$!
  wait "$current" || status=$?
  current=""
  tr -d '\r' <"$log.raw" | tee "$log"
  local ok bad skip
  ok=$(grep -oP '^\[  PASSED  \] \K[0-9]+' "$log" || echo 0)
  bad=$(grep -oP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed below)' "$log" || echo 0)
  skip=$(grep -oP '^\[  SKIPPED \] \K[0-9]+(?= tests?, listed below)' "$log" || echo 0)
  ((status == 0 || bad > 0)) || bad=1
  mapfile -t -O "${#skipped_names[@]}" skipped_names < <({ grep -oP '^\[  SKIPPED \] \K[^ ]+(?= \()' "$log" || true; } | sed "s|^|$name: |")
  passed=$((passed + ok)) failed=$((failed + bad)) skipped=$((skipped + skip))
}

# Its icon, version and DPI awareness, as the system reads them, are the e2e test's.
echo "--- imports"
if "$windows/exe_imports.sh" "$build/lookout.exe"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
# The import check itself: the probe calls GetDpiForWindow directly, which Windows 7 lacks.
"$windows/exe_imports.sh" "$build/dpi_change_probe.exe" >"$work/probe-imports" || true
if grep -q 'user32.dll GetDpiForWindow' "$work/probe-imports"; then
  passed=$((passed + 1))
else
  echo "FAILED: the import check let dpi_change_probe.exe's GetDpiForWindow pass"; failed=$((failed + 1))
fi
run profile "${tester[@]}" env LOOKOUT_PROFILE_PROBE="$work/bin/profile_probe.exe" "$work/bin/profile_differential_test"
# Each case starts a screen of its own and sets the prefix's DPI.
run e2e "${tester[@]}" "$work/bin/wine_e2e_test"

((skipped == 0)) || printf 'skipped: %s\n' "${skipped_names[@]}"
echo "windows ($(wine --version 2>/dev/null)): $passed passed, $failed failed$( ((skipped == 0)) || echo ", $skipped skipped")"
((failed == 0))
