#!/usr/bin/env bash
# Measures lookout as a running process beside two yardsticks in the same run (a bare
# 70 ms timer loop and a minimal Xlib program polling every 70 ms): CPU and wake-ups with
# the pointer still, moving, and on a busy desktop (40 windows, one moved 50 times a
# second), the X server's CPU meanwhile, peak memory; how long a warp and an XTest move
# take to show in the eyes; then start-up and a soak for leaks of memory and of X server
# resources. LOOKOUT_BEFORE=path measures another build of lookout beside it (an earlier one).
# Usage: bench/process_figures.sh [seconds per phase, default 60] [soak seconds, default 600]
set -euo pipefail
cd "$(dirname "$0")/.."
phase=${1:-60} soak=${2:-600}
echo "Measuring lookout and two yardsticks: ${phase} s still, moving and on a busy desktop each, then a ${soak} s soak..."

scripts/install-deps.sh bench >/dev/null
cmake -S . -B build-bench -DLOOKOUT_BENCH=ON -DLOOKOUT_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j2 --target lookout >/dev/null
work=$(mktemp -d /tmp/lookout-figures.XXXXXX)
cp build-bench/lookout "$work/lookout"
g++ -std=c++20 -O2 bench/startup_probe.cpp -o "$work/startup_probe" -lX11 -lXext
g++ -std=c++20 -O2 bench/timer_loop.cpp -o "$work/timer_loop"
g++ -std=c++20 -O2 bench/xlib_poll.cpp -o "$work/xlib_poll" -lX11
g++ -std=c++20 -O2 bench/move_pointer.cpp -o "$work/move_pointer" -lX11 -lXtst
g++ -std=c++20 -O2 bench/busy_desktop.cpp -o "$work/busy_desktop" -lX11
g++ -std=c++20 -O2 bench/pointer_latency.cpp -o "$work/pointer_latency" -lX11 -lXtst
if [[ -n ${LOOKOUT_BEFORE:-} ]]; then mkdir "$work/before" && cp "$LOOKOUT_BEFORE" "$work/before/lookout"; fi

running="" xvfb=""
trap 'kill $running $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
source scripts/xvfb.sh
start_xvfb "$work" -noreset

cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{t += $1} END {print t}'; } # CPU time of all threads
wakeups() { awk '/^voluntary_ctxt_switches/ {print $2}' /proc/"$1"/status; }
percent() { awk -v t="$1" -v s="$2" 'BEGIN {printf "%.3f", 100 * t / 1e9 / s}'; } # percent NS SECONDS
move() { "$work/move_pointer" "$1"; } # 20 times a second round the screen, as a mouse does, for the given seconds

# measure NAME PROGRAM: runs the program alone and prints its figures on one line:
# name, CPU still %, CPU moving %, X server CPU still %, X server CPU moving %, wake-ups/s still,
# peak kB, wake-ups/s moving, CPU busy %, X server CPU busy %, wake-ups/s busy,
# then for the heads, ms until a warp shows (median, worst of 10) and an XTest move (the same)
measure() {
  "$2" & running=$!
  sleep 1
  local cpu=$(cpu_ns $running) server=$(cpu_ns $xvfb) woken=$(wakeups $running)
  sleep "$phase"
  local still=$(percent $(($(cpu_ns $running) - cpu)) "$phase")
  local server_still=$(percent $(($(cpu_ns $xvfb) - server)) "$phase")
  local wakes=$(awk -v n=$(($(wakeups $running) - woken)) -v s="$phase" 'BEGIN {printf "%.1f", n / s}')
  cpu=$(cpu_ns $running) server=$(cpu_ns $xvfb) woken=$(wakeups $running)
  local start=$SECONDS
  move "$phase"
  local elapsed=$((SECONDS - start))
  local moving=$(percent $(($(cpu_ns $running) - cpu)) "$elapsed")
  local server_moving=$(percent $(($(cpu_ns $xvfb) - server)) "$elapsed")
  local wakes_moving=$(awk -v n=$(($(wakeups $running) - woken)) -v s="$elapsed" 'BEGIN {printf "%.1f", n / s}')
  cpu=$(cpu_ns $running) server=$(cpu_ns $xvfb) woken=$(wakeups $running)
  start=$SECONDS
  "$work/busy_desktop" "$phase"
  elapsed=$((SECONDS - start))
  local busy=$(percent $(($(cpu_ns $running) - cpu)) "$elapsed")
  local server_busy=$(percent $(($(cpu_ns $xvfb) - server)) "$elapsed")
  local wakes_busy=$(awk -v n=$(($(wakeups $running) - woken)) -v s="$elapsed" 'BEGIN {printf "%.1f", n / s}')
  local peak=$(awk '/VmHWM/ {print $2}' /proc/$running/status)
  local latency="- - - -"
  [[ $1 == timer || $1 == xlib ]] || latency="$("$work/pointer_latency" warp 10) $("$work/pointer_latency" xtest 10)"
  kill $running; wait $running 2>/dev/null || true; running=""
  echo "$1 $still $moving $server_still $server_moving $wakes $peak $wakes_moving $busy $server_busy $wakes_busy $latency"
}

figures=$(measure timer "$work/timer_loop"; measure xlib "$work/xlib_poll"; measure lookout "$work/lookout"
          [[ -z ${LOOKOUT_BEFORE:-} ]] || measure before "$work/before/lookout")
field() { awk -v name="$1" -v column="$2" '$1 == name {print $column}' <<<"$figures"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}'; }
before_column() { [[ -z ${LOOKOUT_BEFORE:-} ]] || printf ' %s |' "$@"; }
row() { # row LABEL COLUMN
  local t=$(field timer "$2") x=$(field xlib "$2") l=$(field lookout "$2")
  printf '| %s | %s | %s | %s | %s | %s |' "$1" "$l" "$t" "$x" "$(ratio "$l" "$t")" "$(ratio "$l" "$x")"
  before_column "$(field before "$2")"
  echo
}
echo
echo "Machine: $(nproc) cores; load before the run: $(cut -d' ' -f1-3 /proc/loadavg); ${phase} s a phase"
echo "| figure | lookout | 70 ms timer loop | minimal Xlib poll | lookout / timer | lookout / Xlib poll |$(before_column "lookout before")"
echo "|---|---|---|---|---|---|$(before_column ---)"
row "CPU, pointer still, % of a core" 2
row "CPU, pointer moving 20/s, % of a core" 3
row "CPU, busy desktop, % of a core" 9
row "X server CPU, pointer still, %" 4
row "X server CPU, pointer moving, %" 5
row "X server CPU, busy desktop, %" 10
row "wake-ups a second, pointer still" 6
row "wake-ups a second, pointer moving" 8
row "wake-ups a second, busy desktop" 11
row "peak resident memory, kB" 7
row "a warp shown after, ms, median of 10" 12
row "a warp shown after, ms, worst of 10" 13
row "an XTest move shown after, ms, median of 10" 14
row "an XTest move shown after, ms, worst of 10" 15
still_pair=$(awk -v l="$(field lookout 2)" -v s="$(field lookout 4)" 'BEGIN {printf "%.3f", l + s}')
echo "lookout + X server, pointer still: $still_pair % = $(ratio "$still_pair" "$(field timer 2)") x the timer loop"
busy_pair() { awk -v l="$(field "$1" 9)" -v s="$(field "$1" 10)" 'BEGIN {printf "%.3f", l + s}'; }
echo "program + X server, busy desktop, %: lookout $(busy_pair lookout), minimal Xlib poll $(busy_pair xlib), timer loop $(busy_pair timer)"

# Start-up: the median of 21 starts.
starts=$(for _ in $(seq 21); do "$work/startup_probe" "$work/lookout"; done)
grep -q unshaped <<<"$starts" && echo "a window appeared unshaped"
echo "start-up to mapped and shaped (median of 21), ms: $(awk '{print $1}' <<<"$starts" | sort -n | sed -n 11p)"

((soak > 0)) || exit 0
"$work/lookout" & running=$!
sleep 1
resources() { # the program's windows, pixmaps and GCs on the X server
  xrestop -b -m 1 2>/dev/null | awk -v pid="$running" '
    /PID:/ { mine = ($0 ~ "PID: *" pid " ") }
    mine && $1 == "windows" { w = $3 } mine && $1 == "pixmaps" { p = $3 } mine && $1 == "GCs" { g = $3 }
    END { print w, p, g }'
}
rss() { awk '/VmRSS/ {print $2}' "/proc/$running/status"; }
rss_start=$(rss); x_start=$(resources)
move "$soak"
echo "soak ${soak} s moving: resident memory, kB: $rss_start -> $(rss); X windows pixmaps GCs: ${x_start} -> $(resources)"
