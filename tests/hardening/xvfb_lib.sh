# Helpers for driving the real program under a virtual X display; sourced by the hardening
# scripts. The caller runs inside xvfb-run and sets `work` to a folder for scratch files.

# The game window's caption, and the caption of the run-time error box.
# shellcheck source=tests/window_layout.sh
source "$(dirname "${BASH_SOURCE[0]}")/../window_layout.sh"
game_caption=$(window_caption)
box_title="Sky Rings"

# Peak memory allowed for one run of the program, in kB.
peak_limit_kb=262144

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# Starts PROGRAM (with the environment given before it as NAME=VALUE words) in the background
# under /usr/bin/time; sets run_pid and run_start. Output goes to $1.stdout, $1.stderr, $1.time.
start_program() {
  local base=$1; shift
  run_start=$(now)
  env "$@" /usr/bin/time -f "%M" -o "$base.time" "${program_path:?}" \
    > "$base.stdout" 2> "$base.stderr" &
  run_pid=$!
}

running() { kill -0 "$run_pid" 2>/dev/null; }

# Ends the check with a verdict, ending the program first if it still runs.
fail() {
  echo "FAIL: $*"
  if [ -n "${run_pid:-}" ] && running; then stop_program; fi
  exit 1
}

# Ends a program that overstayed: the timing process and the program it started, by their ids.
stop_program() {
  local child
  for child in $(pgrep -P "$run_pid" 2>/dev/null || true); do kill -KILL "$child" 2>/dev/null || true; done
  kill -KILL "$run_pid" 2>/dev/null || true
}

# Waits for the program to end and sets run_status ("0", "1", ..., or "signal N") and run_peak_kb.
collect_program() {
  local base=$1 rc=0
  wait "$run_pid" || rc=$?
  run_seconds=$(elapsed "$run_start")
  run_peak_kb=$(grep -E '^[0-9]+$' "$base.time" | tail -n 1 || true)
  [ -n "$run_peak_kb" ] || run_peak_kb=0
  if grep -q "terminated by signal" "$base.time"; then
    run_status="signal $(grep -o 'signal [0-9]*' "$base.time" | head -n 1 | cut -d' ' -f2)"
  else
    run_status=$rc
  fi
}

# Waits up to $1 seconds for the program to end; true when it did.
wait_end() {
  local limit=$1 start
  start=$(now)
  while running; do
    above "$(elapsed "$start")" "$limit" && return 1
    sleep 0.05
  done
  return 0
}

# The id of the game window, once it is there (up to $1 seconds), or nothing when the program
# ended first or it never came.
game_window() {
  local limit=$1 start id
  start=$(now)
  while running; do
    id=$(xdotool search --name "$game_caption" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    above "$(elapsed "$start")" "$limit" && return 0
    sleep 0.05
  done
}

# A key held for 0.1 s on window $1, as a hand would: the game looks at held keys every 20 ms.
press() {
  xdotool windowfocus "$1" 2>/dev/null || true
  xdotool keydown "$2" 2>/dev/null || true
  sleep 0.1
  xdotool keyup "$2" 2>/dev/null || true
}

# The ids of the run-time error boxes on the screen (xdotool's name search misses SDL's box).
error_boxes() {
  timeout 5 xwininfo -root -tree 2>/dev/null | awk -v name="\"$box_title\":" 'index($0, name) { print $1 }' || true
}

# Dismisses the run-time error box, if one is up: Return on its default button, and a click on
# the button (centred, near the bottom) for a box that did not take the key. Sets box_shown to 1
# when there was a box.
dismiss_box() {
  local id width height
  for id in $(error_boxes); do
    box_shown=1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key Return 2>/dev/null || true
    sleep 0.1
    if error_boxes | grep -qx "$id"; then
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null || echo WIDTH=0 HEIGHT=0)"
      width=${WIDTH:-0} height=${HEIGHT:-0}
      [ "$width" -gt 0 ] && xdotool mousemove --window "$id" $((width / 2)) $((height - 27)) click 1 \
        2>/dev/null || true
    fi
  done
}

shot() { import -window root "$1" 2>/dev/null; }
spread() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:standard_deviation]" info:; }
mean() { convert "$1" -crop "$2" +repage -colorspace Gray -format "%[fx:mean]" info:; }

# In a game: a black band above a 3D view that shows something.
in_game() { above 0.02 "$(mean "$1" 640x80+0+0)" && above "$(spread "$1" 400x300+120+90)" 0.05; }
# The title or game-over picture fills the window: its top is lit, where a game's is black.
on_title() { above "$(mean "$1" 640x80+0+0)" 0.05 && above "$(spread "$1" 640x440+0+0)" 0.05; }

# Waits up to $2 seconds until CHECK ($3...) holds for a screenshot at $1.
until_screen() {
  local picture=$1 limit=$2 start
  shift 2
  start=$(now)
  while running; do
    shot "$picture" && "$@" "$picture" && return 0
    above "$(elapsed "$start")" "$limit" && return 1
    sleep 0.1
  done
  return 1
}

# Plays one game in the running program and ends it: S joins player 2 (two birds last longer
# than one), Enter until a game shows, Escape until the title or game-over picture is back, and
# Escape again to end the program. Sets play_note to what went wrong, if anything.
play_one_game() {
  local base=$1 window tries
  play_note=""
  window=$(game_window 15)
  if [ -z "$window" ]; then play_note="no game window"; return 1; fi
  press "$window" s
  for tries in 1 2 3 4 5; do
    press "$window" Return
    until_screen "$base-game.png" 2 in_game && break
    running || { play_note="ended before a game"; return 1; }
    [ "$tries" = 5 ] && { play_note="Enter started no game"; return 1; }
  done
  for tries in 1 2 3; do
    press "$window" Escape
    until_screen "$base-results.png" 2 on_title && break
    running || { play_note="ended during the game"; return 1; }
    [ "$tries" = 3 ] && { play_note="the game did not end"; return 1; }
  done
  press "$window" Escape
  return 0
}
