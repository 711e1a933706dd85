#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz with clang into build-fuzz/ and runs each for a while
# (default 20 s) on a copy of tests/fuzz/corpus/<target>; failing inputs land in build-fuzz/artifacts/.
# Reproduce one with: build-fuzz/tests/fuzz/<target> <input file>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/install-deps.sh test >/dev/null # clang and its fuzzer runtime
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DLOOKOUT_FUZZ=ON -DLOOKOUT_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=$(cd tests/fuzz && ls -- *_fuzz.cpp | sed 's/\.cpp$//')
cmake --build build-fuzz -j2 --target $targets >build-fuzz/build.log 2>&1 || { cat build-fuzz/build.log; exit 1; }
mkdir -p build-fuzz/artifacts

# New inputs go to a scratch folder (in memory where possible), never the tree.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
for target in $targets; do
  cp -r "tests/fuzz/corpus/$target" "$work/$target"
  if "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/artifacts/$target-" "$work/$target" >"build-fuzz/$target.log" 2>&1; then
    echo "$target: passed, $(grep -oE 'Done [0-9]+ runs' "build-fuzz/$target.log")"
    passed=$((passed + 1))
  else
    tail -n 40 "build-fuzz/$target.log"
    echo "$target: FAILED; the input is in build-fuzz/artifacts/"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
