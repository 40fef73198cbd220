#!/usr/bin/env bash
# The real program on a machine without sound: SDL finds no audio device. The game must still
# start, play a game in silence and end with status 0 on Escape.
#   no_audio_device.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
program_path=$(readlink -f "$1")
out=$2

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
own_display 640x480x24 "$out" "$0" "$@"
out=$(readlink -f "$out")
source "$(dirname "$0")/xvfb_lib.sh"
unset SDL_VIDEODRIVER

start_program "$out/run" SDL_AUDIODRIVER=nonexistent
verdict=ok
play_one_game "$out/run" || verdict=$play_note
wait_end 10 || { stop_program; verdict="$verdict; did not end"; }
collect_program "$out/run"
echo "no audio device: status $run_status, $run_seconds s, peak $run_peak_kb kB"
[ "$verdict" = ok ] || { echo "FAIL: $verdict ($(cat "$out/run.stderr"))"; exit 1; }
[ "$run_status" = 0 ] || { echo "FAIL: exit status $run_status ($(cat "$out/run.stderr"))"; exit 1; }
echo "no audio device: a silent game and a clean end"
