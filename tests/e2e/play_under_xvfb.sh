#!/usr/bin/env bash
# The real game under a virtual X display, played with synthetic key presses and judged from
# screenshots of the screen by the statistics of its regions.
#   play_under_xvfb.sh PROGRAM OUTPUT_FOLDER
# Runs itself again inside xvfb-run (640 x 480 screen, so full screen is the 640 x 480 picture).
set -euo pipefail
program=$1
out=$2

if [ -z "${SKYRINGS_E2E_INSIDE:-}" ]; then
  mkdir -p "$out"
  export SKYRINGS_E2E_INSIDE=1
  exec xvfb-run -a -s "-screen 0 640x480x24 -ardelay 400 -arinterval 40" "$0" "$@"
fi

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw"
fail() { echo "FAIL: $*"; exit 1; }

# Mean brightness (0..1) of a region, and the share of its pixels that are nearly white.
mean() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:; }
white() { convert "$1" -crop "$2" +repage -colorspace Gray -threshold 80% -format "%[fx:mean]" info:; }
# Standard deviation of brightness: near 0 for a flat fill.
spread() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:standard_deviation]" info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
shot() { import -window root "$out/$1.png"; }

"$program" > "$out/stdout.txt" 2> "$out/stderr.txt" &
pid=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name "Direct3D Test" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the game ended at start-up: $(cat "$out/stderr.txt")"
  sleep 0.1
done
[ -n "$window" ] || fail "no window appeared"
xdotool windowfocus --sync "$window" || true
sleep 1

key() { xdotool key --window "$window" "$1"; sleep "${2:-0.3}"; }

# The title picture fills the window; player 1's label reads "1P ENTRY!", the others are empty.
shot 1-title
above "$(spread "$out/1-title.png" 640x440+0+0)" 0.05 || fail "no title picture"
above "$(white "$out/1-title.png" 160x16+0+450)" 0.02 || fail "label 1 shows no text"
above 0.001 "$(white "$out/1-title.png" 160x16+160+450)" || fail "label 2 is not empty"

# S joins player 2.
key s 0.5
shot 2-joined
above "$(white "$out/2-joined.png" 160x16+160+450)" 0.02 || fail "player 2 did not join"

# Enter starts a game: black around a live 3D view.
key Return 1.5
shot 3-game
above 0.02 "$(mean "$out/3-game.png" 640x80+0+0)" || fail "the window around the view is not black"
above "$(spread "$out/3-game.png" 400x300+120+90)" 0.05 || fail "the 3D view shows no scene"
sleep 0.5
shot 4-game
[ "$(convert "$out/3-game.png" "$out/4-game.png" -crop 400x300+120+90 +repage -compose difference -composite -colorspace Gray -format "%[fx:mean]" info:)" != "0" ] \
  || fail "the 3D view does not move"

# Escape ends the game: the title again, and both labels show scores.
key Escape 0.8
shot 5-results
above "$(spread "$out/5-results.png" 640x440+0+0)" 0.05 || fail "no title picture after the game"
above "$(white "$out/5-results.png" 160x16+0+450)" 0.02 || fail "no score for player 1"
above "$(white "$out/5-results.png" 160x16+160+450)" 0.02 || fail "no score for player 2"

# Escape on the entry screen ends the program with status 0.
key Escape 0.1
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "the game did not end on Escape"; fi
wait "$pid" || fail "exit status $? ($(cat "$out/stderr.txt"))"
echo "e2e: title, join, game, results and the end all as expected"
