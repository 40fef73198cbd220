#!/usr/bin/env bash
# The real game under a virtual X display, played with synthetic key presses and judged from
# screenshots of the screen by the statistics of its regions.
#   play_under_xvfb.sh PROGRAM OUTPUT_FOLDER
# Runs itself again inside xvfb-run (640 x 480 screen, so full screen is the 640 x 480 picture).
set -euo pipefail
program=$1
out=$2
# shellcheck source=tests/window_layout.sh
source "$(dirname "$0")/../window_layout.sh"
game_caption=$(window_caption)

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
XVFB_OPTIONS="-ardelay 400 -arinterval 40" own_display 640x480x24 "$out" "$0" "$@"

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw"
fail() { echo "FAIL: $*"; exit 1; }

# Mean brightness (0..1) of a region, and the share of its pixels that are nearly white.
mean() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:; }
white() { convert "$1" -crop "$2" +repage -colorspace Gray -threshold 80% -format "%[fx:mean]" info:; }
# Standard deviation of brightness: near 0 for a flat fill.
spread() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:standard_deviation]" info:; }
# Mean difference (0..1) of a region of two pictures.
differ() {
  convert "$1" "$2" -crop "$3" +repage -compose difference -composite -colorspace Gray \
    -format "%[fx:mean]" info:
}
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
shot() { import -window root "$out/$1.png"; }

attempt() {
  "$program" > "$out/stdout.txt" 2> "$out/stderr.txt" &
  pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name "$game_caption" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the game ended at start-up: $(cat "$out/stderr.txt")"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window appeared"
  xdotool windowfocus --sync "$window" || true

  # A key held for 0.1 s, as a hand would: the game looks at held keys once a step (20 ms).
  key() {
    xdotool windowfocus "$window" 2>/dev/null || true
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
  }
  # Takes screenshot NAME until CHECK (a command given the picture's path) holds, for about 10 s at most.
  until_shot() {
    local name=$1; shift
    for _ in $(seq 50); do
      shot "$name"
      if "$@" "$out/$name.png"; then return 0; fi
      sleep 0.2
    done
    return 1
  }

  # The title picture fills the window; player 1's label reads "1P ENTRY!", the others are empty.
  title() {
    above "$(spread "$1" 640x440+0+0)" 0.05 && above "$(white "$1" 160x16+0+450)" 0.02 &&
      above 0.001 "$(white "$1" 160x16+160+450)"
  }
  until_shot 1-title title || fail "no title picture with only player 1's label"

  # S joins player 2.
  joined() { above "$(white "$1" 160x16+160+450)" 0.02; }
  key s
  until_shot 2-joined joined || fail "player 2 did not join"

  # Enter starts a game: black around a live 3D view.
  in_game() {
    above 0.02 "$(mean "$1" 640x80+0+0)" && above "$(spread "$1" 400x300+120+90)" 0.05
  }
  key Return
  until_shot 3-game in_game || fail "no game: black window around a 3D scene ($(cat "$out/stderr.txt"))"
  sleep 0.2
  shot 4-game
  above "$(differ "$out/3-game.png" "$out/4-game.png" 400x300+120+90)" 0 || fail "the view does not move"

  # Escape ends the game: the picture again, and both labels show text other than their entries.
  results() {
    above "$(spread "$1" 640x440+0+0)" 0.05 &&
      above "$(white "$1" 160x16+0+450)" 0.02 && above "$(white "$1" 160x16+160+450)" 0.02 &&
      above "$(differ "$1" "$out/2-joined.png" 160x16+0+450)" 0 &&
      above "$(differ "$1" "$out/2-joined.png" 160x16+160+450)" 0
  }
  key Escape
  if ! until_shot 5-results results; then
    # On a very slow machine the crows may end the game (their first pass comes 1.1 s into it)
    # before Escape arrives; that Escape then ends the program. Try again from the start.
    kill -0 "$pid" 2>/dev/null || return 2
    fail "no title picture with both scores after the game"
  fi

  # Escape on the entry screen ends the program with status 0.
  key Escape
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "the game did not end on Escape"; fi
  wait "$pid" || fail "exit status $? ($(cat "$out/stderr.txt"))"
  return 0
}

[ -n "${DISPLAY:-}" ] || fail "no virtual display"
for try in 1 2 3; do
  status=0
  attempt || status=$?
  [ "$status" -eq 0 ] && { echo "e2e: title, join, game, results and the end all as expected"; exit 0; }
  echo "attempt $try: the crows ended the game before Escape reached it; trying again"
done
fail "three attempts raced the crows"
