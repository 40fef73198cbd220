#!/usr/bin/env bash
# The real program with one damaged data file at a time, under a virtual X display.
#   bad_data_files.sh PROGRAM DAMAGE_TOOL OUTPUT_FOLDER
# For each file and each way it can be bad, the program and its data are copied to a scratch
# folder, the one file is damaged, and the program is started and driven with keys:
#  - a picture or mesh: the program must show the run-time error box (a window titled "Sky
#    Rings"), end with status 1 (never a signal, never 0), print exactly one line on standard
#    error naming the file's full path and the cause, end in time, and stay under the memory
#    limit;
#  - a sound: the game goes on without it: a game is played and Escape ends the program with 0.
# Prints a table of file x damage -> status, seconds, peak memory; exits 1 if any run failed.
set -euo pipefail
program=$(readlink -f "$1")
damage_tool=$(readlink -f "$2")
out=$3

# shellcheck source=tests/own_display.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../own_display.sh"
own_display 640x480x24 "$out" "$0" "$@"
out=$(readlink -f "$out")
source "$(dirname "$0")/xvfb_lib.sh"

bin=$(dirname "$program")
data_files=(stage.x ring.x karasu.x bird1.x bird2.x bird3.x bird4.x back1.bmp title.bmp icon.bmp
  ok.wav ring.wav out.wav cur.wav bgm.mid)
for f in "${data_files[@]}"; do
  [ -f "$bin/$f" ] || { echo "FAIL: $bin/$f is missing: build the data first"; exit 1; }
done

# Sound goes to SDL's silent driver (the disk driver would announce itself on standard error): the
# runs need no sound card, and a damaged sound is judged by the game going on, not by what is heard.
export SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER

# A file of another kind for each kind, to stand in under the damaged file's name.
other_kind() {
  case $1 in
    *.x) echo back1.bmp ;;
    *.bmp) echo ring.x ;;
    *.wav) echo bgm.mid ;;
    *.mid) echo ok.wav ;;
  esac
}

# Applies damage $2 to file $1 in folder $3.
damage() {
  local file=$1 how=$2 dir=$3 size seed
  case $how in
    missing) rm -f "$dir/$file" ;;
    empty) : > "$dir/$file" ;;
    half)
      size=$(stat -c %s "$dir/$file")
      truncate -s $((size / 2)) "$dir/$file"
      ;;
    random)
      seed=$(printf '%s' "$file" | cksum | cut -d' ' -f1)
      "$damage_tool" random "$seed" "$dir/$file"
      ;;
    wrongkind) cp "$bin/$(other_kind "$file")" "$dir/$file" ;;
    absurd) "$damage_tool" absurd "$dir/$file" ;;
  esac
}

table="$out/table.txt"
printf '%-10s %-10s %-9s %7s %9s  %s\n' FILE DAMAGE STATUS SECONDS PEAK_KB RESULT | tee "$table"
passed=0
failed=0

# Runs one case; sets verdict to "ok" or to what went wrong.
run_case() {
  local file=$1 how=$2 dir base window pressed_at line path f
  dir=$(mktemp -d "$out/run.XXXXXX")
  base="$out/$file.$how"
  cp "$program" "$dir/"
  for f in "${data_files[@]}"; do cp "$bin/$f" "$dir/"; done
  damage "$file" "$how" "$dir"
  path="$dir/$file"
  program_path="$dir/$(basename "$program")"
  verdict=ok

  case $file in
    *.wav | *.mid)
      start_program "$base"
      if ! play_one_game "$base"; then verdict=$play_note; fi
      wait_end 10 || { stop_program; verdict="${verdict/#ok/}hang"; }
      collect_program "$base"
      if [ "$verdict" = ok ] && [ "$run_status" != 0 ]; then verdict="status $run_status"; fi
      ;;
    *)
      start_program "$base"
      # Enter, once the window is there, until the game starts reading its data; the error box,
      # whenever it comes (a damaged picture stops the program before the window), is dismissed
      # and the program must end.
      window=""
      pressed_at=0
      local deadline_start
      box_shown=
      deadline_start=$(now)
      while running; do
        if above "$(elapsed "$deadline_start")" 20; then
          stop_program
          verdict=hang
          break
        fi
        dismiss_box
        [ -n "$window" ] || window=$(game_window 0)
        if [ -n "$window" ] && above "$(elapsed "$run_start")" "$pressed_at"; then
          press "$window" Return
          pressed_at=$(awk -v a="$(elapsed "$run_start")" 'BEGIN { print a + 0.6 }')
        fi
        sleep 0.1
      done
      collect_program "$base"
      line=$(head -n 1 "$base.stderr")
      if [ "$verdict" != ok ]; then
        :
      elif [ "$run_status" != 1 ]; then
        verdict="status $run_status, expected 1"
      elif [ -z "$box_shown" ]; then
        verdict="no error box titled \"$box_title\""
      elif [ "$(wc -l < "$base.stderr")" != 1 ]; then
        verdict="$(wc -l < "$base.stderr") lines on standard error, expected 1"
      elif [[ $line != *"$path"* ]]; then
        verdict="message does not name $path"
      elif ! [[ ${line#*"$path"} =~ [[:alpha:]]{3} ]]; then
        verdict="message gives no cause"
      fi
      ;;
  esac
  if [ "$verdict" = ok ] && [ "$run_peak_kb" -ge "$peak_limit_kb" ]; then
    verdict="peak memory $run_peak_kb kB"
  fi
  printf '%-10s %-10s %-9s %7s %9s  %s\n' "$file" "$how" "$run_status" "$run_seconds" \
    "$run_peak_kb" "$verdict" | tee -a "$table"
  if [ "$verdict" = ok ]; then
    passed=$((passed + 1))
    rm -rf "$dir"
  else
    failed=$((failed + 1))
    echo "  standard error: $(head -c 600 "$base.stderr")" | tee -a "$table"
  fi
}

all_damages=(missing empty half random wrongkind absurd)
# Every damage on each file that has a part of its own in the game (each mesh of the scene, each
# picture, the first effect and the music); the other birds and effects share their reader with
# bird1.x and ok.wav, and are checked with the damage most particular to their own contents.
for file in stage.x ring.x karasu.x bird1.x back1.bmp title.bmp icon.bmp ok.wav bgm.mid; do
  for how in "${all_damages[@]}"; do run_case "$file" "$how"; done
done
for file in bird2.x bird3.x bird4.x; do run_case "$file" absurd; done
for file in ring.wav out.wav cur.wav; do run_case "$file" random; done

echo "bad data files: $passed passed, $failed failed" | tee -a "$table"
[ "$failed" = 0 ]
