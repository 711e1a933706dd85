#!/usr/bin/env bash
# Builds both programs (Linux and Windows) and runs every test; prints one closing count.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Building lookout for Linux and Windows and running every test..."

scripts/install-deps.sh test

passed=0 failed=0 status=0
count() { # adds a stage's closing "N passed, N failed" line to the totals
  if [[ $1 =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    passed=$((passed + BASH_REMATCH[1])) failed=$((failed + BASH_REMATCH[2]))
  else
    failed=$((failed + 1)) status=1 # a stage that ran no count failed to run
  fi
}

# The Linux tests, once as built and once with AddressSanitizer and UndefinedBehaviorSanitizer.
linux_tests() {
  local build=$1; shift
  cmake -S . -B "$build" -DLOOKOUT_TESTS=ON "$@" >/dev/null
  cmake --build "$build" -j"$(nproc)" >/dev/null
  ctest --test-dir "$build" --output-on-failure | tee "$build/ctest.log" || status=1
  local line
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$build/ctest.log" || true)
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    count "$((BASH_REMATCH[2] - BASH_REMATCH[1])) passed, ${BASH_REMATCH[1]} failed"
  else
    count ""
  fi
}
linux_tests build
linux_tests build-asan -DLOOKOUT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

# A stage that prints its own closing count.
stage() {
  local log
  log=$(mktemp)
  "$@" | tee "$log" || status=1
  count "$(grep -E '[0-9]+ passed, [0-9]+ failed' "$log" | tail -1 || true)"
  rm -f "$log"
}
stage scripts/test-windows.sh build-win
stage scripts/fuzz.sh 20

echo "all: $passed passed, $failed failed"
exit "$status"
