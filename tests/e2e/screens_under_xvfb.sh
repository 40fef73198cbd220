#!/usr/bin/env bash
# The real game on virtual screens of several sizes, with and without a window manager: the
# whole 640 x 480 picture must show scaled by the largest whole factor and centred on black, F11
# must switch to a 640 x 480 window showing the same picture unscaled and back, and a game played
# in between must leave the picture whole.
#   screens_under_xvfb.sh PROGRAM OUTPUT_FOLDER
# The game runs from a folder of its own whose title picture has no black at its edges, so the
# picture's bounding box on a black screen is exactly its rectangle. Last, the same through SDL's
# native Wayland driver under weston (nested in the virtual X display: weston's headless output
# offers no keyboard, which SDL's Wayland driver does not survive).
set -euo pipefail
# shellcheck source=tests/window_layout.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../window_layout.sh"
program=$(realpath "$1")
out=$(realpath -m "$2")
fail() { echo "FAIL: $*"; exit 1; }

if [ -z "${SKYRINGS_E2E_SCREEN:-}" ]; then
  rm -rf "$out"
  mkdir -p "$out/game"
  # The program finds its data beside itself: a copy of it, the game's files, and the test title.
  cp "$program" "$out/game/"
  for file in "$(dirname "$program")"/*.{x,wav,mid,bmp}; do ln -s "$file" "$out/game/"; done
  rm "$out/game/title.bmp"
  # Two 320 x 240 frames: grey with a white rim (the title), and blue.
  convert -size 318x238 xc:'#606060' -bordercolor white -border 1 \
    \( -size 320x240 xc:'#2040a0' \) +append -type TrueColor "BMP3:$out/game/title.bmp"
  # A display number of our own for each run: a server just ended may still hold its number.
  display=$((100 + $$ % 800 * 10))
  for screen in 800x600 1024x768 1280x960 1920x1080; do
    for wm in none openbox; do
      display=$((display + 1))
      SKYRINGS_E2E_SCREEN=$screen SKYRINGS_E2E_WM=$wm \
        xvfb-run -n "$display" -s "-screen 0 ${screen}x24" "$0" "$out/game/skyrings" "$out"
    done
  done
  SKYRINGS_E2E_SCREEN=1920x1080 SKYRINGS_E2E_WM=weston \
    xvfb-run -n $((display + 1)) -s "-screen 0 1920x1080x24" "$0" "$out/game/skyrings" "$out"

  echo "screens: the picture whole and centred at every size, with and without a window manager"
  exit 0
fi

screen=$SKYRINGS_E2E_SCREEN
wm=$SKYRINGS_E2E_WM
name="$screen-$wm"
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null LIBGL_ALWAYS_SOFTWARE=1
[ -n "${DISPLAY:-}" ] || fail "$name: no virtual display"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT
if [ "$wm" = weston ]; then
  # A Wayland compositor whose one output is an X window covering the virtual screen.
  export XDG_RUNTIME_DIR="$out/$name-runtime"
  rm -rf "$XDG_RUNTIME_DIR"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  weston --backend=x11-backend.so --use-pixman --width="${screen%x*}" --height="${screen#*x}" \
    --socket=skyrings-e2e --idle-time=0 > "$out/$name-weston.txt" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/skyrings-e2e" ] && break; sleep 0.1; done
  [ -S "$XDG_RUNTIME_DIR/skyrings-e2e" ] || fail "$name: weston did not start"
  compositor=""
  for _ in $(seq 100); do
    compositor=$(xdotool search --class "Weston Compositor" 2>/dev/null | head -n 1 || true)
    [ -n "$compositor" ] && break
    sleep 0.1
  done
  [ -n "$compositor" ] || fail "$name: weston's output window did not appear"
  sleep 1  # its shell and panel
  export WAYLAND_DISPLAY=skyrings-e2e SDL_VIDEODRIVER=wayland
elif [ "$wm" != none ]; then
  "$wm" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  sleep 1  # named on the root window before it manages windows
fi

# The rectangle of the non-black pixels of a picture, as "WxH+X+Y".
bounds() {
  convert "$1" -bordercolor black -border 1 -format "%@" info: 2>/dev/null |
    awk -F'[x+]' '{ printf "%dx%d+%d+%d", $1, $2, $3 - 1, $4 - 1 }'
}
shot() { import -window root "$out/$name-$1.png"; }
# Takes screenshot NAME until its bounding box is WANT, for about TRIES / 5 s at most.
until_bounds() {
  local got=""
  for _ in $(seq "${3:-25}"); do
    shot "$1"
    got=$(bounds "$out/$name-$1.png")
    [ "$got" = "$2" ] && return 0
    sleep 0.2
  done
  fail "$name, $1: the picture lies at $got, expected $2"
}

width=${screen%x*}
height=${screen#*x}
scale=$((width / 640 < height / 480 ? width / 640 : height / 480))
pw=$((640 * scale))
ph=$((480 * scale))
expected="${pw}x${ph}+$(((width - pw) / 2))+$(((height - ph) / 2))"

"$program" > "$out/$name-stdout.txt" 2> "$out/$name-stderr.txt" &
pid=$!
pids+=("$pid")
window=""
for _ in $(seq 100); do
  if [ "$wm" = weston ]; then
    window=$compositor  # keys reach the game through the compositor's window
  else
    window=$(xdotool search --name "$(window_caption)" 2>/dev/null | head -n 1 || true)
  fi
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "$name: the game ended at start-up: $(cat "$out/$name-stderr.txt")"
  sleep 0.1
done
[ -n "$window" ] || fail "$name: no window appeared"
key() {
  xdotool windowfocus "$window" 2>/dev/null || true
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
}

until_bounds 1-full "$expected"

# F11: an ordinary window of 640 x 480 showing the picture unscaled, pixel for pixel. (Under
# weston the window is no X window to look at: the desktop must show instead of the picture.)
if [ "$wm" = weston ]; then
  sleep 1  # the shell gives the new surface the keyboard
  key F11
  sleep 1
  shot 2-window
  [ "$(bounds "$out/$name-2-window.png")" != "$expected" ] ||
    fail "$name: F11 did not leave the full screen"
else
  key F11
  size=""
  for _ in $(seq 25); do
    size=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ { print $2 }')
    [ "$size" = 640x480 ] && break
    sleep 0.2
  done
  [ "$size" = 640x480 ] || fail "$name: after F11 the window is $size, expected 640x480"
  sleep 0.5
  import -window "$window" "$out/$name-2-window.png"
  convert "$out/$name-1-full.png" -crop "$expected" +repage -sample "640x480!" "$out/$name-1-unscaled.png"
  differ=$(compare -metric AE "$out/$name-1-unscaled.png" "$out/$name-2-window.png" null: 2>&1 || true)
  [ "$differ" = 0 ] || fail "$name: the window's picture differs from the full screen's in $differ pixels"
  # The player makes the window larger: twice the picture, centred in it.
  if [ "$width" -ge 1300 ] && [ "$height" -ge 1000 ]; then
    xdotool windowsize "$window" 1300 1000
    got=""
    for _ in $(seq 25); do
      sleep 0.2
      import -window "$window" "$out/$name-2-resized.png"
      got=$(bounds "$out/$name-2-resized.png")
      [ "$got" = 1280x960+10+20 ] && break
    done
    [ "$got" = 1280x960+10+20 ] || fail "$name: in a 1300 x 1000 window the picture lies at $got"
  fi
fi

# F11 again: the full screen as before.
key F11
until_bounds 3-full-again "$expected"

# A game: black around a live view in the middle. The crows soon catch the bird, which stays
# still; the results bring the whole picture back.
key Return
sleep 0.6
shot 4-game
view="$((400 * scale))x$((300 * scale))+$(((width - pw) / 2 + 120 * scale))+$(((height - ph) / 2 + 90 * scale))"
spread=$(convert "$out/$name-4-game.png" -crop "$view" +repage -colorspace Gray \
  -format "%[fx:standard_deviation]" info:)
awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || fail "$name: no 3D view at $view in a game"
above=$(convert "$out/$name-4-game.png" -crop "${pw}x$((90 * scale))+$(((width - pw) / 2))+$(((height - ph) / 2))" \
  +repage -colorspace Gray -format "%[fx:maxima]" info:)
[ "$above" = 0 ] || fail "$name: the picture above the view is not black in a game"
until_bounds 5-after-game "$expected" 75

key Escape
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "$name: the game did not end on Escape"
wait "$pid" || fail "$name: exit status $? ($(cat "$out/$name-stderr.txt"))"
echo "$name: picture at $expected, window 640x480, game and back"
