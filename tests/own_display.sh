# Every script that drives the real program under a virtual X display starts the same way: it runs
# itself again inside xvfb-run, on a display of its own. Sourced, then called first thing:
#   own_display SCREEN OUT_FOLDER "$0" "$@"
# Inside that display it returns at once. Outside, it empties OUT_FOLDER and runs the script again
# under xvfb-run with a SCREEN-sized screen (e.g. 640x480x24); it does not return. XVFB_OPTIONS
# adds options for the server.

# A display number that no X server here holds; "xvfb-run -a" started twice at once may hand both
# runs the same one.
free_display_number() {
  local n=$((100 + $$ % 800))
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$(((n - 99) % 800 + 100))
  done
  echo "$n"
}

own_display() {
  local screen=$1 out=$2
  shift 2
  [ -z "${SKYRINGS_OWN_DISPLAY:-}" ] || return 0
  rm -rf "$out"
  mkdir -p "$out"
  export SKYRINGS_OWN_DISPLAY=1
  exec xvfb-run -n "$(free_display_number)" -s "-screen 0 $screen ${XVFB_OPTIONS:-}" "$@"
}
