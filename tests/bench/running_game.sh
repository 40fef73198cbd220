# shellcheck shell=bash
# The real game started and ended under an X display, for the benchmark scripts that measure it
# (sourced; needs xdotool).
#   start_game PROGRAM   starts it, sets `game_pid`, waits for its window and gives it the focus
#   end_game             two Escapes (out of a game, then out of the program), then waits for it
# shellcheck source=tests/window_layout.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../window_layout.sh"

start_game() {
  local caption window
  caption=$(window_caption)
  "$1" 2>/dev/null &
  game_pid=$!
  for _ in $(seq 100); do xdotool search --name "$caption" >/dev/null 2>&1 && break; sleep 0.1; done
  window=$(xdotool search --name "$caption" | head -n 1)
  xdotool windowfocus "$window" || true
}

end_game() {
  xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
  sleep 0.5
  xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
  for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" || true
}
