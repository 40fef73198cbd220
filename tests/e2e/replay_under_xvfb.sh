#!/usr/bin/env bash
# Record, replay and timedemo with the real game under a virtual X display.
#   replay_under_xvfb.sh GAME SIM OUTPUT_FOLDER
# A two-game run is played with synthetic key presses and recorded; the headless runner's end
# records for the recording must then be what --replay and --timedemo print from the real window's
# labels, and the labels at the replay's end must look as they did at the run's end.
set -euo pipefail
# shellcheck source=tests/window_layout.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../window_layout.sh"
game=$1
sim=$2
out=$3

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
own_display 640x480x24 "$out" "$0" "$@"

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw"
fail() { echo "FAIL: $*"; exit 1; }
shot() { import -window root "$out/$1.png"; }
# Mean difference (0..1) of a region of two pictures.
differ() {
  convert "$1" "$2" -crop "$3" +repage -compose difference -composite -colorspace Gray \
    -format "%[fx:mean]" info:
}
labels=640x16+0+450

wait_window() {
  for _ in $(seq 100); do
    window=$(xdotool search --name "$(window_caption)" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the game ended at start-up: $(cat "$out/stderr.txt")"
    sleep 0.1
  done
  fail "no window appeared"
}
key() {
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
}
# Waits for the program to end by itself; its exit status is the function's.
finish() {
  for _ in $(seq "${1:-100}"); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "the program did not end"; fi
  wait "$pid"
}

# 1. The recorded run: player 2 joins, a short game, then a second game with player 1 diving, each
#    ended by Escape, then Escape on the entry screen. A crow may end a game first on a slow
#    machine; the recording holds whatever happened, so the keys only need to arrive in order.
"$game" --stats --record "$out/run.txt" > "$out/record.stdout" 2> "$out/stderr.txt" &
pid=$!
wait_window
sleep 0.5
key s
key Return
sleep 0.6
key Escape
sleep 0.5
key Return
xdotool keydown Down
sleep 0.5
xdotool keyup Down
sleep 0.3
key Escape
sleep 1
shot record-end
key Escape
finish || fail "the recording run ended with status $? ($(cat "$out/stderr.txt"))"
grep -q "^steps run: [1-9]" "$out/record.stdout" || fail "--stats printed: $(cat "$out/record.stdout")"

# 2. What the runner predicts for the recording: two games with their scores in the captions.
"$sim" "$out/run.txt" > "$out/expected.txt"
[ "$(wc -l < "$out/expected.txt")" -eq 2 ] || fail "two games expected: $(cat "$out/expected.txt")"
grep -q '"captions":\[" 1PScore: [1-9][0-9]*"," 2PScore: [0-9]*","",""\]' "$out/expected.txt" ||
  fail "unexpected end records: $(cat "$out/expected.txt")"

# 3. The replay ends with the same end records, read from the real window's labels, and the
#    labels look as they did when the recorded run ended.
"$game" --replay "$out/run.txt" > "$out/replay.stdout" 2> "$out/stderr.txt" &
pid=$!
wait_window
for _ in $(seq 300); do
  [ "$(wc -l < "$out/replay.stdout")" -ge 2 ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
sleep 0.5
shot replay-end
finish 100 || fail "the replay ended with status $? ($(cat "$out/stderr.txt"))"
cmp -s "$out/expected.txt" "$out/replay.stdout" ||
  fail "the replay's end records differ: $(cat "$out/replay.stdout")"
d=$(differ "$out/record-end.png" "$out/replay-end.png" $labels)
[ "$d" = 0 ] || fail "the labels after the replay differ from the run's (mean difference $d)"

# 4. The timedemo: the same end records, then its timing.
"$game" --timedemo "$out/run.txt" > "$out/timedemo.stdout" 2> "$out/stderr.txt" &
pid=$!
finish 300 || fail "the timedemo ended with status $? ($(cat "$out/stderr.txt"))"
head -n 2 "$out/timedemo.stdout" | cmp -s "$out/expected.txt" - ||
  fail "the timedemo's end records differ: $(cat "$out/timedemo.stdout")"
steps=$(grep -c . "$out/run.txt" | tr -d ' ')
grep -Eq '^timedemo: [1-9][0-9]* steps in [0-9.]+ s, [0-9.]+ steps/s$' "$out/timedemo.stdout" &&
  grep -Eq '^frame time: p50 [0-9.]+ ms, p99 [0-9.]+ ms, max [0-9.]+ ms$' "$out/timedemo.stdout" ||
  fail "the timedemo printed: $(cat "$out/timedemo.stdout")"

# 5. A bad script is refused before any window, as the runner refuses it; so is a recording that
#    cannot be written.
printf 'game 0\n0 0 0 0 0 0 0 2\n' > "$out/bad.txt"
status=0
"$game" --replay "$out/bad.txt" > "$out/bad.stdout" 2> "$out/bad.stderr" || status=$?
[ "$status" -eq 2 ] || fail "a bad script gave status $status"
[ ! -s "$out/bad.stdout" ] || fail "a bad script printed on standard output"
[ "$(sed 's/^skyrings: //' "$out/bad.stderr")" = "$("$sim" "$out/bad.txt" 2>&1 | sed 's/^skyrings-sim: //')" ] ||
  fail "a bad script's message differs from the runner's: $(cat "$out/bad.stderr")"
status=0
"$game" --record "$out/no/such/folder/run.txt" 2> "$out/bad.stderr" || status=$?
[ "$status" -eq 2 ] && grep -q "cannot write the recording" "$out/bad.stderr" ||
  fail "an unwritable recording gave status $status: $(cat "$out/bad.stderr")"

echo "e2e: recorded $steps script lines; replay and timedemo end as the runner predicts"
