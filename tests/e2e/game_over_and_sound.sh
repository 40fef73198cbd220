#!/usr/bin/env bash
# A game left to the crows, through the real program under a virtual X display with its sound
# captured by SDL's disk driver. Nobody steers: the crows end the game, which must then show the
# game-over half of the title picture around the hidden view and player 1's score on the label,
# and the capture must hold sound while the game played and none on the entry screen around it.
# The score is the one the headless runner reaches in the same game (the run is deterministic).
#   game_over_and_sound.sh PROGRAM SIM LABEL_CAPTION_TOOL AUDIO_ENERGY_TOOL OUTPUT_FOLDER
set -euo pipefail
program_path=$(readlink -f "$1")
sim=$(readlink -f "$2")
caption_tool=$(readlink -f "$3")
energy_tool=$(readlink -f "$4")
out=$5

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
own_display 640x480x24 "$out" "$0" "$@"
out=$(readlink -f "$out")
source "$(dirname "$0")/../hardening/xvfb_lib.sh"
source "$(dirname "$0")/labels_lib.sh"
unset SDL_VIDEODRIVER
began=$(now)

# The capture: what the mixer opens, 44100 frames a second of two 16-bit channels.
audio="$out/audio.raw"
rate=44100
bytes_per_ms=$((rate * 4 / 1000))
audio_bytes() { stat -c %s "$audio" 2>/dev/null || echo 0; }
# Slices of 100 ms between two byte offsets: "START_MS PEAK RMS" lines.
slices() { "$energy_tool" "$rate" 100 "$audio" "$1" "$2"; }

# The game's own pictures, from the title picture beside the program: each half stretched twice
# over the window, as the game paints it.
title_bmp="$(dirname "$program_path")/title.bmp"
convert "$title_bmp" -crop 320x240+0+0 +repage -sample 640x480! "$out/title-expected.png"
convert "$title_bmp" -crop 320x240+320+0 +repage -sample 640x480! "$out/over-expected.png"
# How far (0..1) screenshot $2 is from picture $1 on the window outside the labels' row.
outside_labels() {
  local top bottom
  top=$(convert "$1" "$2" -crop 640x450+0+0 +repage -compose difference -composite \
    -colorspace Gray -format "%[fx:mean]" info:)
  bottom=$(convert "$1" "$2" -crop 640x14+0+466 +repage -compose difference -composite \
    -colorspace Gray -format "%[fx:mean]" info:)
  awk -v a="$top" -v b="$bottom" 'BEGIN { print (a > b ? a : b) }'
}
# The pictures are the game's own when they match nearly to the pixel.
picture_match=0.01
shows() { above "$picture_match" "$(outside_labels "$1" "$2")"; }
shows_title() { shows "$out/title-expected.png" "$1"; }
shows_game_over() { shows "$out/over-expected.png" "$1"; }

# The results the same game reaches in the headless runner: nobody steers until game over.
{
  echo "game 0"
  for _ in $(seq 20000); do echo "0 0 0 0 0 0 0 0"; done
} > "$out/idle-game.txt"
result=$("$sim" "$out/idle-game.txt")
[[ $result == *'"end":"gameover"'* ]] || fail "the runner's idle game did not end by game over: $result"
caption=$(sed -E 's/.*"captions":\["([^"]*)".*/\1/' <<< "$result")
[[ $caption == " 1PScore: "* ]] || fail "no score caption in the runner's output: $result"
draw_caption "$caption" "$out/score.ppm"
draw_caption "1P ENTRY!" "$out/entry.ppm"
above "$(picture_difference "$out/score.ppm" "$out/entry.ppm")" "$label_match" ||
  fail "the score and entry captions look alike to the comparison"

start_program "$out/run" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio"
window=$(game_window 15)
[ -n "$window" ] || fail "no game window ($(cat "$out/run.stderr"))"
until_screen "$out/1-title.png" 10 shows_title || fail "the title picture is not the game's own"
# Two seconds of the entry screen for the capture.
sleep 2
entry_end=$(audio_bytes)
press "$window" Return
# The game lasts little more than a second: on a busy machine the screenshots may miss it, and
# then the game-over picture and the score below tell that it was played.
game_or_over() { in_game "$1" || shows_game_over "$1"; }
until_screen "$out/2-game.png" 10 game_or_over || fail "Enter started no game"
until_screen "$out/3-game-over.png" 30 shows_game_over ||
  fail "no game-over picture after the crows' game ($(cat "$out/run.stderr"))"
game_end=$(audio_bytes)
label_shows 0 "$out/score.ppm" "$out/3-game-over.png" ||
  until_screen "$out/3-game-over.png" 5 label_shows 0 "$out/score.ppm" ||
  fail "player 1's label does not show \"$caption\""

# The entry screen keeps the game-over picture (every bird is out) for three more seconds.
sleep 3
shot "$out/4-entry.png"
shows_game_over "$out/4-entry.png" || fail "the game-over picture did not stay on the entry screen"
label_shows 0 "$out/score.ppm" "$out/4-entry.png" || fail "the score did not stay"
after_end=$(audio_bytes)
press "$window" Escape
wait_end 10 || fail "the program did not end on Escape"
collect_program "$out/run"
[ "$run_status" = 0 ] || fail "exit status $run_status ($(cat "$out/run.stderr"))"

# The sound: none at all before Enter; loud slices through the game; none once the game-over
# effect has rung out on the entry screen (the music stops there).
[ "$entry_end" -gt $((1500 * bytes_per_ms)) ] ||
  fail "only $((entry_end / bytes_per_ms)) ms of sound captured before Enter"
slices 0 "$entry_end" > "$out/entry.energy"
loud=$(awk '$2 > 0' "$out/entry.energy" | wc -l)
[ "$loud" = 0 ] || fail "$loud slices of sound on the entry screen before Enter"
slices "$entry_end" "$game_end" > "$out/game.energy"
# "ok" sounds at Enter and the music plays through the game (more than a second long): at least
# one second of loud slices, the first within 1.5 s of Enter.
loud_game=$(awk '$3 > 300' "$out/game.energy" | wc -l)
first_loud_ms=$(awk -v start=$((entry_end / 4 * 1000 / rate)) '$3 > 300 { print $1 - start; exit }' \
  "$out/game.energy")
[ "$loud_game" -ge 10 ] || fail "only $loud_game loud slices of 100 ms during the game"
[ "${first_loud_ms:-99999}" -le 1500 ] || fail "no sound until ${first_loud_ms:-never} ms after Enter"
slices $((game_end + 2000 * bytes_per_ms)) "$after_end" > "$out/after.energy"
loud=$(awk '$2 > 0' "$out/after.energy" | wc -l)
[ "$(wc -l < "$out/after.energy")" -gt 0 ] || fail "nothing captured after the game"
[ "$loud" = 0 ] || fail "$loud slices of sound on the entry screen after the game"
echo "game over and sound: game-over picture, \"$caption\", $loud_game loud slices from" \
  "$first_loud_ms ms after Enter and silence around the game, in $(elapsed "$began") s"
