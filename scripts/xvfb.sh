# Sourced by the scripts that need a virtual screen of their own.
# start_xvfb FOLDER [Xvfb options...]: starts Xvfb on a free display number (its number and log
# in FOLDER), sets $xvfb to its process and exports DISPLAY; the caller stops it.
start_xvfb() {
  local folder=$1
  shift
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "$@" 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [[ -s $folder/display ]] && break; sleep 0.1; done
  [[ -s $folder/display ]] || { echo "Xvfb did not start:" >&2; cat "$folder/xvfb.log" >&2; exit 1; }
  DISPLAY=":$(head -n1 "$folder/display")"
  export DISPLAY
}
