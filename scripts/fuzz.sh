#!/usr/bin/env bash
# Builds the libFuzzer targets in tests/fuzz and runs each for a fixed time (default 20 s) on a copy of its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
targets=(val_fuzz profile_fuzz)
echo "Fuzzing ${#targets[@]} targets for ${seconds}s each..."

# clang with its fuzzer runtime, from Debian's packages when either is missing.
fuzzer_main='extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }'
if ! clang++ -x c++ -fsanitize=fuzzer - -o /dev/null <<<"$fuzzer_main" 2>/dev/null; then
  sudo=$([[ $(id -u) -eq 0 ]] || echo sudo)
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi

flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -Iplatform -Iplatform/x11 -Iapp)
mkdir -p build-fuzz
clang++ "${flags[@]}" tests/fuzz/val_fuzz.cpp app/Val.cpp platform/x11/text.cpp -o build-fuzz/val_fuzz
clang++ "${flags[@]}" tests/fuzz/profile_fuzz.cpp platform/x11/profile.cpp platform/x11/profile_text.cpp \
  -o build-fuzz/profile_fuzz

# New inputs go to a copy, so a run never changes the tree; the targets' own
# files go there too (in memory where possible, as the store syncs each write).
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
passed=0 failed=0
for target in "${targets[@]}"; do
  cp -r "tests/fuzz/corpus/$target" "$work/$target"
  mkdir -p "build-fuzz/artifacts/$target"
  log=build-fuzz/$target.log
  if "build-fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="build-fuzz/artifacts/$target/" "$work/$target" >"$log" 2>&1; then
    echo "$target: passed, $(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" || echo 'no count')"
    passed=$((passed + 1))
  else
    tail -n 40 "$log"
    echo "$target: FAILED; the input is in build-fuzz/artifacts/$target/, the whole log in $log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
