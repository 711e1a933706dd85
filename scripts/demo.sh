#!/usr/bin/env bash
# Shows lookout on a virtual screen: moves the pointer, drags the head, saves screenshots.
# Usage: scripts/demo.sh path/to/lookout [output-folder] [dpi]   (dpi: the screen's Xft.dpi, 96 by default)
set -euo pipefail
program=$(realpath "$1")
out=${2:-$(mktemp -d "${TMPDIR:-/tmp}/lookout-demo.XXXXXX")}
dpi=${3:-96}
mkdir -p "$out"
echo "No display: showing lookout on a virtual screen; screenshots go to $out"

work=$(mktemp -d) xvfb=""
cleanup() { kill "${lookout:-}" $xvfb 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
source "$(dirname "$0")/xvfb.sh"
start_xvfb "$work" -noreset

xsetroot -solid '#3a6ea5'
echo "Xft.dpi: $dpi" | xrdb -merge
cp "$program" "$out/lookout"          # its settings file will lie beside it, in $out
"$out/lookout" &
lookout=$!
sleep 0.5

# Saves the screen with an arrow drawn where the pointer is (Xvfb leaves the cursor out).
shot() {
  local name=$1 x y
  eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
  x=$X y=$Y
  import -window root png:- | convert - -fill white -stroke black -strokewidth 1 \
    -draw "polygon $x,$y $x,$((y + 17)) $((x + 4)),$((y + 13)) $((x + 8)),$((y + 21)) $((x + 11)),$((y + 20)) $((x + 7)),$((y + 12)) $((x + 12)),$((y + 12))" \
    "$out/$name.png"
  echo "  $out/$name.png"
}

# xdotool warps the pointer, as another program would; lookout looks again within a second.
look() { xdotool mousemove "$1" "$2"; sleep 1; shot "$3"; }

look 690 300 0-pointer-near
look 900 200 1-pointer-right
look 150 650 2-pointer-below-left
look 511 262 3-pointer-between-the-eyes
look 511 20 4-pointer-above

# Drag the head by its forehead down and to the left, looking mid-way.
xdotool mousemove 511 100 mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((511 - 25 * step)) $((100 + 25 * step)); sleep 0.03
done
sleep 1; shot 5-dragged
xdotool mouseup 1; sleep 0.6
look 1000 700 6-after-the-drag-pointer-far-away

# A double-click stores the position beside the program and ends it.
xdotool mousemove 261 350 click --repeat 2 --delay 60 1
sleep 0.5
if ! kill -0 "$lookout" 2>/dev/null; then
  echo "Double-clicked: lookout ended and stored its place in $out/lookout.ini:"
  sed 's/^/  /' "$out/lookout.ini"
fi
