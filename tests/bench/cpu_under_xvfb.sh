#!/usr/bin/env bash
# How much processor time the real game uses under a virtual X display: 10 s on the entry screen,
# then a game (until its birds are caught, or 10 s). A benchmark, not a test.
#   cpu_under_xvfb.sh PROGRAM [SCREEN [WM]]
# SCREEN is the virtual screen's size (640x480 by default); WM a window manager to run first
# (e.g. openbox; none by default). The game fills the screen, OpenGL on Mesa's software renderer.
set -euo pipefail
program=$(realpath "$1")
screen=${2:-640x480}
wm=${3:-}
if [ -z "${SKYRINGS_BENCH_INSIDE:-}" ]; then
  export SKYRINGS_BENCH_INSIDE=1
  exec xvfb-run -n $((100 + $$ % 800)) -s "-screen 0 ${screen}x24" "$0" "$@"
fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null LIBGL_ALWAYS_SOFTWARE=1
if [ -n "$wm" ]; then
  "$wm" >/dev/null 2>&1 &
  wm_pid=$!
  trap 'kill $wm_pid 2>/dev/null || true' EXIT
  sleep 1
fi
# shellcheck source=tests/window_layout.sh
source "$(dirname "$0")/../window_layout.sh"
game_caption=$(window_caption)

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # user + system, in clock ticks
now() { date +%s.%N; }

"$program" 2>/dev/null &
pid=$!
for _ in $(seq 100); do xdotool search --name "$game_caption" >/dev/null 2>&1 && break; sleep 0.1; done
window=$(xdotool search --name "$game_caption" | head -n 1)
xdotool windowfocus "$window" || true
sleep 2

c0=$(cpu $pid); t0=$(now)
sleep 10
c1=$(cpu $pid); t1=$(now)
awk -v c="$((c1 - c0))" -v k="$ticks" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "entry screen: %.2f%% of a core over %.1f s\n", 100 * c / k / (t1 - t0), t1 - t0 }'

xdotool keydown Return; sleep 0.1; xdotool keyup Return
sleep 0.3
c0=$(cpu $pid); t0=$(now)
# The game runs until the crows have caught the bird: the game-over picture then fills the
# window around the view, where the game keeps black.
for _ in $(seq 100); do
  sleep 0.2
  band=$(import -window root -crop 640x80+0+0 png:- | convert - -colorspace Gray -format "%[fx:mean]" info:)
  c1=$(cpu $pid); t1=$(now)
  awk -v m="$band" 'BEGIN { exit !(m > 0.05) }' && break
done
awk -v c="$((c1 - c0))" -v k="$ticks" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "game: %.2f%% of a core over %.1f s\n", 100 * c / k / (t1 - t0), t1 - t0 }'
xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
sleep 0.5
xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
wait $pid || true
