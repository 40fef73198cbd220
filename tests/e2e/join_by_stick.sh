#!/usr/bin/env bash
# Players 3 and 4 join on the entry screen with sticks, through the real program under a virtual
# X display. The machine has no joystick, so SDL virtual devices are preloaded into the program
# (virtual_sticks.cpp): the first is a pad that SDL knows by a mapping, steered with its D-pad,
# the second a plain joystick steered with its hat, which keeps its id when the pad is pulled out. The labels are read off the screen by
# comparing each with its caption drawn by the game's own font in the game's own cell.
#   join_by_stick.sh PROGRAM VIRTUAL_STICKS_LIBRARY LABEL_CAPTION_TOOL OUTPUT_FOLDER
set -euo pipefail
program_path=$(readlink -f "$1")
preload=$(readlink -f "$2")
caption_tool=$(readlink -f "$3")
out=$4

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
own_display 640x480x24 "$out" "$0" "$@"
out=$(readlink -f "$out")
source "$(dirname "$0")/../hardening/xvfb_lib.sh"
source "$(dirname "$0")/labels_lib.sh"
unset SDL_VIDEODRIVER
began=$(now)

control="$out/sticks.txt"
# Both devices plugged in and centred.
printf '0 0 0 c\n1 0 0 c\n' > "$control"
start_program "$out/run" SDL_AUDIODRIVER=dummy LD_PRELOAD="$preload" \
  SKYRINGS_TEST_STICKS="pad stick" SKYRINGS_TEST_STICK_CONTROL="$control"
window=$(game_window 15)
[ -n "$window" ] || fail "no game window ($(cat "$out/run.stderr"))"

draw_caption "1P ENTRY!" "$out/p1.ppm"
draw_caption "" "$out/empty.ppm"
draw_caption " 3P ENTRY!" "$out/p3.ppm"
draw_caption " 4P ENTRY!" "$out/p4.ppm"
# The comparison tells these captions apart, or it proves nothing.
for pair in "p3 p4" "p3 empty" "p4 empty"; do
  set -- $pair
  above "$(picture_difference "$out/$1.ppm" "$out/$2.ppm")" "$label_match" ||
    fail "the captions $1 and $2 look alike to the comparison"
done

# Centred sticks join nobody: only player 1's label shows, for a second of steps.
until_screen "$out/1-title.png" 10 label_shows 0 "$out/p1.ppm" ||
  fail "no \"1P ENTRY!\" on player 1's label"
sleep 1
shot "$out/2-centred.png"
for label in 1 2 3; do
  label_shows "$label" "$out/empty.ppm" "$out/2-centred.png" ||
    fail "label $((label + 1)) is not empty with the sticks centred"
done

# The pad's D-pad down joins player 3, and player 3 only.
printf '0 0 0 d\n1 0 0 c\n' > "$control"
until_screen "$out/3-pad.png" 10 label_shows 2 "$out/p3.ppm" ||
  fail "the pad's D-pad did not join player 3"
label_shows 3 "$out/empty.ppm" "$out/3-pad.png" || fail "player 4 joined with a centred stick"

# The pad is pulled out; the joystick keeps its id, and its hat down joins player 4.
printf '0 unplugged\n1 0 0 c\n' > "$control"
sleep 0.5
printf '0 unplugged\n1 0 0 d\n' > "$control"
until_screen "$out/4-hat.png" 10 label_shows 3 "$out/p4.ppm" ||
  fail "the joystick's hat did not join player 4"
label_shows 1 "$out/empty.ppm" "$out/4-hat.png" || fail "player 2 joined without a key"

# Escape ends the program with status 0.
press "$window" Escape
wait_end 10 || fail "the program did not end on Escape"
collect_program "$out/run"
[ "$run_status" = 0 ] || fail "exit status $run_status ($(cat "$out/run.stderr"))"
[ ! -s "$out/run.stderr" ] || fail "unexpected messages: $(cat "$out/run.stderr")"
echo "join by stick: players 3 and 4 joined by D-pad and hat in $(elapsed "$began") s"
