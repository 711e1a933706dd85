#!/usr/bin/env bash
# Builds both programs (Linux and Windows) and runs every test; prints one closing count.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Building lookout for Linux and Windows and running every test..."

scripts/install-deps.sh test

passed=0 failed=0
count() { # adds a test program's "N passed, N failed" to the totals
  local line=$1
  passed=$((passed + $(sed -E 's/.* ([0-9]+) passed.*/\1/' <<<"$line")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
}

cmake -S . -B build -DLOOKOUT_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
status=0
ctest --test-dir build --output-on-failure | tee build/ctest.log || status=1
summary=$(grep -E 'tests passed, [0-9]+ tests failed out of' build/ctest.log || true)
if [[ $summary =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
  count "linux: $((BASH_REMATCH[2] - BASH_REMATCH[1])) passed, ${BASH_REMATCH[1]} failed"
else
  count "linux: 0 passed, 1 failed"
fi

windows_log=$(mktemp)
scripts/test-windows.sh build-win | tee "$windows_log" || status=1
count "$(grep -E '^windows: [0-9]+ passed, [0-9]+ failed' "$windows_log" | tail -1 || echo 'windows: 0 passed, 1 failed')"
rm -f "$windows_log"

echo "all: $passed passed, $failed failed"
exit "$status"
