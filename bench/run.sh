#!/usr/bin/env bash
# Builds the benchmarks (Release), runs them on a private Xvfb and prints the figures.
set -euo pipefail
echo "lookout benchmarks: building, then running on a private Xvfb" >&2

root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" bench >/dev/null
build=${LOOKOUT_BENCH_BUILD:-$root/build-bench}
if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DLOOKOUT_BENCH=ON -DLOOKOUT_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target lookout_bench -j"$(nproc)" >/dev/null

work=$(mktemp -d)
xvfb=""
cleanup() {
  if [[ -n $xvfb ]]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

source "$root/scripts/xvfb.sh"
start_xvfb "$work"
load=$(cut -d' ' -f1-3 /proc/loadavg) # other work on the machine moves the figures

"$build/bench/lookout_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/results.json" --benchmark_out_format=json "$@"

# The mean of the repetitions of one benchmark, one field, to a number of decimals.
value() {
  jq -r --arg name "$1" --arg field "$2" --argjson places "$3" '
    [.benchmarks[] | select(.run_name | startswith($name))] as $runs
    | ($runs | map(select(.error_occurred)) | first | .error_message) as $error
    | ($runs | map(select(.aggregate_name == "mean")) | first | .[$field]) as $mean
    | if $error then "not working: \($error)" elif $mean == null then "not run"
      else $mean * pow(10; $places) | round / pow(10; $places) | tostring end' "$work/results.json"
}
row() { printf '%-38s %s\n' "$1" "$(value "$2" "$3" "$4")"; }

echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs); load before the run: $load"
echo "Figures: means of 5 repetitions"
row "TrimForm incl. hand-over, us" TrimForm real_time 1
for pointer in still moving; do
  row "tick, pointer $pointer, incl. XSync, us" Tick/$pointer real_time 1
  row "  allocations" Tick/$pointer allocations 2
  row "    of which inside Xlib's reply wait" Tick/$pointer in_x_reply 2
  row "    of which operator new" Tick/$pointer new_calls 2
  row "  round trips" Tick/$pointer round_trips 2
  row "  requests" Tick/$pointer requests 2
done
row "cover raised: heads step above, us" CoverRaised real_time 1
row "  round trips for that" CoverRaised round_trips 2
