#!/usr/bin/env bash
# Measures lookout as a running process: start-up, CPU and memory with the pointer still
# and moving, and a soak for leaks of memory and of X server resources.
# Usage: bench/process_figures.sh [seconds per phase, default 60] [soak seconds, default 600]
set -euo pipefail
cd "$(dirname "$0")/.."
phase=${1:-60} soak=${2:-600}
echo "Measuring lookout as a process: start-up, ${phase} s still, ${phase} s moving, ${soak} s soak..."

cmake -S . -B build-bench -DLOOKOUT_BENCH=ON -DLOOKOUT_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$(nproc)" --target lookout >/dev/null
command -v xrestop >/dev/null || { echo "xrestop is missing: apt-get install xrestop"; exit 1; }
work=$(mktemp -d /tmp/lookout-figures.XXXXXX)
cp build-bench/lookout "$work/lookout"
g++ -std=c++20 -O2 bench/startup_probe.cpp -o "$work/startup_probe" -lX11 -lXext

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
lookout=""
trap 'kill $lookout $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"

# Start-up: the median of 21 starts.
starts=$(for _ in $(seq 21); do "$work/startup_probe" "$work/lookout"; done)
grep -q unshaped <<<"$starts" && echo "a window appeared unshaped"
startup=$(awk '{print $1}' <<<"$starts" | sort -n | sed -n 11p)

"$work/lookout" &
lookout=$!
sleep 1
ticks() { awk '{print $1}' "/proc/$lookout/schedstat"; } # CPU time in ns (one thread)
cpu_percent() { # cpu_percent NANOSECONDS SECONDS
  awk -v t="$1" -v s="$2" 'BEGIN {printf "%.3f", 100 * t / 1e9 / s}'
}

before=$(ticks); sleep "$phase"; still=$(cpu_percent $(($(ticks) - before)) "$phase")

move() { # moves the pointer 20 times a second round the screen for the given seconds
  local end=$((SECONDS + $1)) i=0
  while ((SECONDS < end)); do
    xdotool mousemove $((100 + (i * 37) % 800)) $((100 + (i * 23) % 500))
    i=$((i + 1)); sleep 0.05
  done
}
before=$(ticks); move "$phase"; moving=$(cpu_percent $(($(ticks) - before)) "$phase")
peak=$(awk '/VmHWM/ {print $2}' "/proc/$lookout/status")

resources() { # the program's windows, pixmaps and GCs on the X server
  xrestop -b -m 1 2>/dev/null | awk -v pid="$lookout" '
    /PID:/ { mine = ($0 ~ "PID: *" pid " ") }
    mine && $1 == "windows" { w = $3 } mine && $1 == "pixmaps" { p = $3 } mine && $1 == "GCs" { g = $3 }
    END { print w, p, g }'
}
rss() { awk '/VmRSS/ {print $2}' "/proc/$lookout/status"; }
rss_start=$(rss); x_start=$(resources)
move "$soak"
rss_end=$(rss); x_end=$(resources)

cat <<TABLE
Machine: $(nproc) cores; figures of one run
start-up to mapped and shaped (median of 21), ms   $startup
CPU with the pointer still, % of one core          $still
CPU with the pointer moving 20/s, % of one core    $moving
peak resident memory, kB                           $peak
soak ${soak} s moving: resident memory, kB         $rss_start -> $rss_end
soak ${soak} s moving: X windows pixmaps GCs       ${x_start} -> ${x_end}
TABLE
