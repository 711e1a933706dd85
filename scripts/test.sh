#!/usr/bin/env bash
# Builds both programs (Linux and Windows) and runs every test; prints one closing count.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Building lookout for Linux and Windows and running every test..."

scripts/install-deps.sh test

passed=0 failed=0 skipped=0 status=0
count() { # adds a stage's closing "N passed, N failed[, N skipped]" line to the totals
  if [[ $1 =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed(,\ ([0-9]+)\ skipped)? ]]; then
    passed=$((passed + BASH_REMATCH[1])) failed=$((failed + BASH_REMATCH[2])) skipped=$((skipped + ${BASH_REMATCH[4]:-0}))
  else
    failed=$((failed + 1)) status=1 # a stage that ran no count failed to run
  fi
}

# The Linux tests, once as built and once with AddressSanitizer and UndefinedBehaviorSanitizer;
# counted by test case from the programs' output in ctest's log; a program with no count of its
# own (a script, a crash) counts as one, and no fewer fail than ctest says.
linux_tests() { # linux_tests BUILD LABEL_LEFT_OUT CMAKE_ARGS...
  local build=$1 leave_out=$2; shift 2
  cmake -S . -B "$build" -DLOOKOUT_TESTS=ON "$@" >/dev/null
  cmake --build "$build" -j"$(nproc)" >/dev/null
  rm -f "$build/skipped.txt"
  ctest --test-dir "$build" --output-on-failure ${leave_out:+-LE "$leave_out"} | tee "$build/ctest.log" || status=1
  local programs_failed
  programs_failed=$(grep -oP '[0-9]+(?= tests failed out of)' "$build/ctest.log" || echo 1)
  count "$(awk -v least="$programs_failed" -v build="$build" -v names="$build/skipped.txt" '
    /^\[  PASSED  \] [0-9]+ test/ { ok += $4; own = 1 }
    /^\[  FAILED  \] [0-9]+ tests?, listed/ { bad += $4; own = 1 }
    /^\[  SKIPPED \] [0-9]+ tests?, listed/ { skip += $4; own = 1 }
    /^\[  SKIPPED \] [^ ]+ \(/ { print "  " build ": " $4 " (" why ")" > names }
    /^Test / && !/^Test time/ { if (!own) { if (/^Test Passed/) ok++; else bad++ }; own = 0 }
    NF && !/^\[/ { why = $0 }
    END { printf "%d passed, %d failed, %d skipped", ok, (bad > least ? bad : least), skip }
  ' "$build/Testing/Temporary/LastTest.log" || true)"
}
linux_tests build "" -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The compositors' run is long and tests the same code as the first: once is enough.
linux_tests build-asan wayland -DLOOKOUT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

# A stage that prints its own closing count.
stage() {
  local log result=0
  log=$(mktemp)
  "$@" 2>&1 | tee "$log" || result=$?
  ((result == 0)) || status=1
  grep -qE '[0-9]+ passed, [0-9]+ failed' "$log" || echo "test.sh: $* ended without its count, status $result (its last lines above say why)"
  count "$(grep -E '[0-9]+ passed, [0-9]+ failed' "$log" | tail -1 || true)"
  rm -f "$log"
}
stage scripts/test-windows.sh build-win build # its Linux programs beside the Linux tests
stage scripts/test-windows-debian13.sh
stage scripts/fuzz.sh 20
# The Wayland desktops again on Debian 13's versions, in a root of its own (made once).
stage $([[ $(id -u) -eq 0 ]] || echo sudo) scripts/test-debian13.sh build-debian13

((skipped == 0)) || { echo "skipped:"; cat build/skipped.txt build-asan/skipped.txt build-debian13/skipped.txt 2>/dev/null || true; }
echo "all: $passed passed, $failed failed, $skipped skipped"
exit "$status"
