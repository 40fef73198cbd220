#!/usr/bin/env bash
# How much processor time the real game uses under a virtual X display: on the entry screen, then
# in games played back to back with Enter held; and its resident memory at the end of that. A
# benchmark, not a test.
#   cpu_under_xvfb.sh PROGRAM
# SKYRINGS_BENCH_SCREEN sets the virtual screen (default 640x480x24), SKYRINGS_BENCH_SECONDS the
# length of each measurement (default 10). With SKYRINGS_BENCH_INSIDE set the script uses the X
# display it is given (DISPLAY) instead of starting one.
set -euo pipefail
program=$(realpath "$1")
seconds=${SKYRINGS_BENCH_SECONDS:-10}
if [ -z "${SKYRINGS_BENCH_INSIDE:-}" ]; then
  export SKYRINGS_BENCH_INSIDE=1
  exec xvfb-run -a -s "-screen 0 ${SKYRINGS_BENCH_SCREEN:-640x480x24}" "$0" "$@"
fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }  # user + system, in clock ticks
now() { date +%s.%N; }

# shellcheck source=tests/bench/running_game.sh
source "$(dirname "$(readlink -f "$0")")/running_game.sh"
start_game "$program"
pid=$game_pid
sleep 2

c0=$(cpu $pid); t0=$(now)
sleep "$seconds"
c1=$(cpu $pid); t1=$(now)
awk -v c="$((c1 - c0))" -v k="$ticks" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "entry screen: %.2f%% of a core over %.1f s\n", 100 * c / k / (t1 - t0), t1 - t0 }'

# A game lasts about ten seconds when nobody steers; with Enter held the next one starts as soon
# as the scores are shown, so the whole measurement is spent in games.
xdotool keydown Return
sleep 1
c0=$(cpu $pid); t0=$(now)
sleep "$seconds"
c1=$(cpu $pid); t1=$(now)
resident=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
xdotool keyup Return
awk -v c="$((c1 - c0))" -v k="$ticks" -v t0="$t0" -v t1="$t1" \
  'BEGIN { printf "game: %.2f%% of a core over %.1f s\n", 100 * c / k / (t1 - t0), t1 - t0 }'
echo "resident memory in a game: $resident kB"
end_game
