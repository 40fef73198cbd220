#!/usr/bin/env bash
# The real program started with no display at all (no DISPLAY, no WAYLAND_DISPLAY, no video
# driver named): it must end at once with status 1 and one clear "no display" line on standard
# error, and must not wait on a window or a message box that nobody can see.
#   no_display.sh PROGRAM OUTPUT_FOLDER
set -euo pipefail
program=$(readlink -f "$1")
out=$2
mkdir -p "$out"
limit=10

start=$(date +%s.%N)
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  timeout -s KILL "$limit" "$program" > "$out/stdout.txt" 2> "$out/stderr.txt" || status=$?
seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }')
echo "no display: status $status in $seconds s; standard error: $(cat "$out/stderr.txt")"

[ "$status" != 137 ] || { echo "FAIL: still running after $limit s"; exit 1; }
[ "$status" = 1 ] || { echo "FAIL: exit status $status, expected 1"; exit 1; }
[ "$(wc -l < "$out/stderr.txt")" = 1 ] || { echo "FAIL: expected exactly one line on standard error"; exit 1; }
grep -q '^skyrings: no display: ' "$out/stderr.txt" || { echo "FAIL: the message does not say there is no display"; exit 1; }
[ ! -s "$out/stdout.txt" ] || { echo "FAIL: unexpected output on standard output"; exit 1; }
awk -v s="$seconds" 'BEGIN { exit !(s < 3) }' || { echo "FAIL: took $seconds s to give up"; exit 1; }
echo "no display: one clear message and status 1"
