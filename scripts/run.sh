#!/usr/bin/env bash
# Builds lookout and starts it; with no display, shows it on a virtual screen and saves screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "Building and starting lookout..."

scripts/install-deps.sh run
cmake -S . -B build -DLOOKOUT_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

if [[ -n "${DISPLAY:-}" ]]; then
  exec build/lookout
fi
exec scripts/demo.sh build/lookout
