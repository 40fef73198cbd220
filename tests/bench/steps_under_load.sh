#!/usr/bin/env bash
# Whether the steps keep time while other programs keep every core busy: a replayed game of
# SECONDS (60 by default) and then a played game (to its game over, or SECONDS) under a virtual X
# display, each printing its --stats. A benchmark, not a test.
#   steps_under_load.sh PROGRAM RECORDING [SECONDS]
# RECORDING should hold a game of at least SECONDS x 50 steps (tests/core/reference/long1.txt).
set -euo pipefail
# shellcheck source=tests/window_layout.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../window_layout.sh"
program=$(realpath "$1")
recording=$(realpath "$2")
seconds=${3:-60}
if [ -z "${SKYRINGS_BENCH_INSIDE:-}" ]; then
  export SKYRINGS_BENCH_INSIDE=1
  exec xvfb-run -n $((100 + $$ % 800)) -s "-screen 0 640x480x24" "$0" "$@"
fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

# One busy loop per core, for as long as this script runs.
burners=()
for _ in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  burners+=($!)
done
trap 'kill "${burners[@]}" 2>/dev/null || true' EXIT

wait_window() {
  for _ in $(seq 100); do
    window=$(xdotool search --name "$(window_caption)" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    sleep 0.1
  done
  echo "no window" >&2
  exit 1
}
key() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; }

echo "replayed game, $seconds s, $(nproc) busy loops:"
"$program" --stats --replay "$recording" | grep -v '^{' &
pid=$!
wait_window
sleep "$seconds"
key Escape
wait $pid

echo "played game (to its game over, at most $seconds s), $(nproc) busy loops:"
"$program" --stats &
pid=$!
wait_window
sleep 1
# Mean brightness of the band above the 3D view: black in a game, a picture otherwise.
band() {
  import -window root -crop 640x80+0+0 png:- | convert - -colorspace Gray -format "%[fx:mean]" info:
}
key Return
for _ in $(seq 100); do awk -v m="$(band)" 'BEGIN { exit !(m < 0.02) }' && break; sleep 0.1; done
for _ in $(seq $((seconds * 5))); do
  awk -v m="$(band)" 'BEGIN { exit !(m > 0.05) }' && break
  sleep 0.2
done
key Escape
sleep 0.5
key Escape
wait $pid
