#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW and runs them under Wine on a virtual screen.
# Usage: scripts/test-windows.sh [build folder]   (default: build-win in the source tree)
set -euo pipefail
echo "Testing the Windows program: MinGW build, Wine on Xvfb..."

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-win}")
linux="$build/linux-tests"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j2 >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }

# The Linux programs that look at the Windows one from outside, built when their folders changed.
compile() { # compile OUTPUT SOURCE... -- FLAGS...
  local output=$1 sources=() folders=() flag
  shift
  while [[ $1 != -- ]]; do sources+=("$1") folders+=("$(dirname "$1")"); shift; done
  shift
  for flag in "$@"; do [[ $flag != -I* ]] || folders+=("${flag#-I}"); done # headers count too
  [[ ! -e $output || $(cat "$output.flags" 2>/dev/null) != "$*" ]] || find "${folders[@]}" -newer "$output" | grep -q . || return 0
  g++ -std=c++20 -O1 -Wall -Wextra -o "$output" "${sources[@]}" "$@" -lgtest -lgtest_main -pthread
  echo "$*" >"$output.flags"
}
mkdir -p "$linux"
windows="$root/tests/windows"
compile "$linux/profile_differential_test" "$windows/profile_differential_test.cpp" \
  "$root/platform/linux/profile.cpp" "$root/platform/linux/profile_text.cpp" -- \
  -I"$root/platform" -I"$root/platform/linux" -I"$root/tests/support" &
builds=($!)
compile "$linux/wine_e2e_test" "$windows/wine_e2e_test.cpp" "$root/tests/e2e/running_lookout.cpp" \
  "$root/tests/support/virtual_screen.cpp" "$root/platform/dib.cpp" -- \
  -I"$root/tests/support" -I"$root/tests/e2e" -I"$root/window" -I"$root/platform" -I"$root/platform/linux" -I"$root/platform/x11" \
  -DLOOKOUT_EXECUTABLE='"lookout.exe"' -DLOOKOUT_DPI_PROBE='"dpi_change_probe.exe"' \
  -DLOOKOUT_PICTURE_BMP='"lookout.bmp"' -lX11 -lXext -lXtst & # the copies in the folder the tests run in
builds+=($!)
# Writes and reads through the system's profile calls, for the comparison with our Linux store.
# Linked statically: Wine has no MinGW DLLs.
x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -static -o "$build/profile_probe.exe" "$windows/profile_probe.cpp" &
builds+=($!)
for build_job in "${builds[@]}"; do wait "$build_job"; done

work=$(mktemp -d /tmp/lookout-windows-tests.XXXXXX)
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset XDG_RUNTIME_DIR
mkdir -p "$HOME" "$work/bin"
# The tester may not reach the build folder (a clone in /root): what it runs is copied to its own.
cp "$build/lookout.exe" "$build/dpi_change_probe.exe" "$build/profile_probe.exe" "$linux/profile_differential_test" \
  "$linux/wine_e2e_test" "$root/resources/lookout.bmp" "$work/bin"
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
as_tester wineboot -i >/dev/null 2>&1

passed=0 failed=0 skipped=0 skipped_names=()
# Runs one gtest program and adds up its counts; a program that ends without them counts as one failure.
run() { # run NAME COMMAND...
  local name=$1 status=0 log="$work/$1.log"
  shift
  echo "--- $name"
  timeout --kill-after=10 300 "$@" >"$log.raw" 2>&1 &
  current=$!
  wait "$current" || status=$?
  current=""
  tr -d '\r' <"$log.raw" | tee "$log"
  local ok bad skip
  ok=$(grep -oP '^\[  PASSED  \] \K[0-9]+' "$log" || echo 0)
  bad=$(grep -oP '^\[  FAILED  \] \K[0-9]+(?= tests?, listed below)' "$log" || echo 0)
  skip=$(grep -oP '^\[  SKIPPED \] \K[0-9]+(?= tests?, listed below)' "$log" || echo 0)
  ((status == 0 || bad > 0)) || bad=1
  mapfile -t -O "${#skipped_names[@]}" skipped_names < <(grep -oP '^\[  SKIPPED \] \K[^ ]+(?= \()' "$log" | sed "s|^|$name: |")
  passed=$((passed + ok)) failed=$((failed + bad)) skipped=$((skipped + skip))
}

echo "--- resources"
if "$windows/exe_resources.sh" "$build/lookout.exe"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
run profile "${tester[@]}" env LOOKOUT_PROFILE_PROBE="$work/bin/profile_probe.exe" "$work/bin/profile_differential_test"
# Each case starts a screen of its own and sets the prefix's DPI.
run e2e "${tester[@]}" "$work/bin/wine_e2e_test"

((skipped == 0)) || printf 'skipped: %s\n' "${skipped_names[@]}"
echo "windows: $passed passed, $failed failed$( ((skipped == 0)) || echo ", $skipped skipped")"
((failed == 0))
