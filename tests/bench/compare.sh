#!/usr/bin/env bash
# Two builds of the game measured side by side, taking turns, ROUNDS times each, and a table of
# the medians and ranges. A machine's load changes from minute to minute: only numbers taken in
# one run, in turns, compare.
#
#   tests/bench/compare.sh [-n ROUNDS] OLD NEW
#
# OLD and NEW are each a folder holding a built `skyrings`, `game_bench` and the data files (e.g.
# build/release/bin), or a git revision of this repository (e.g. main, HEAD~3), which is then built
# under build/bench/COMMIT first (and reused by the next run). Default 4 rounds, about
# 7 minutes (besides building).
#
# Measured, for each program in turn:
#   - processor use (% of one core, user + system) on the entry screen and in games played back to
#     back with Enter held (tests/bench/cpu_under_xvfb.sh): on a 640 x 480 virtual screen with no
#     window manager, and on a 1280 x 960 one under openbox, where the game fills the screen at x2;
#     llvmpipe renders;
#   - resident memory (VmRSS) at the end of those games;
#   - start to first picture (first_picture, built from this checkout): from just before exec to
#     the first lit pixel on the X server's screen, on the 640 x 480 screen, twice a round;
#   - scene construction with the real files: game_bench's median over 10 games (offscreen).
# The raw numbers are kept in build/bench/run-DATE/results.txt.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)

usage() {
  echo "usage: $0 [-n ROUNDS] OLD NEW   (each a folder with skyrings and game_bench, or a git revision)" >&2
  exit 2
}

# ---- Inside a virtual X display: the CPU runs and the start times of one screen ----
if [ "${1:-}" = "--inside" ]; then
  shift
  config=$1 window_manager=$2
  export LIBGL_ALWAYS_SOFTWARE=1
  openbox_pid=""
  if [ "$window_manager" = openbox ]; then
    openbox >/dev/null 2>&1 &
    openbox_pid=$!
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
      sleep 0.1
    done
  fi
  for round in $(seq "$BENCH_ROUNDS"); do
    # Who goes first changes every round, so that neither always runs after the other.
    if [ $((round % 2)) = 1 ]; then order="old new"; else order="new old"; fi
    for side in $order; do
      bin_var="BENCH_${side^^}_BIN"
      bin=${!bin_var}
      log="$BENCH_WORK/$config-$side-$round.log"
      SKYRINGS_BENCH_INSIDE=1 SKYRINGS_BENCH_SECONDS=$BENCH_SECONDS \
        "$here/cpu_under_xvfb.sh" "$bin/skyrings" > "$log" 2>&1 || true
      awk -v side="$side" -v config="$config" '
        /^entry screen:/ { sub("%", "", $3); print side, "entry-" config, $3 }
        /^game:/ { sub("%", "", $2); print side, "game-" config, $2 }
        /^resident memory in a game:/ { print side, "resident-" config, $6 / 1024 }
      ' "$log" >> "$BENCH_WORK/results.txt"
      if [ "$config" = 640 ]; then
        for _ in 1 2; do
          SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
            "$BENCH_FIRST_PICTURE" "$bin/skyrings" 2>>"$BENCH_WORK/first-picture.log" |
            awk -v side="$side" '/^first picture:/ { print side, "start", $3 }' \
              >> "$BENCH_WORK/results.txt" || true
          sleep 0.5
        done
      fi
    done
  done
  if [ -n "$openbox_pid" ]; then kill "$openbox_pid" 2>/dev/null || true; fi
  exit 0
fi

rounds=4
while getopts "n:h" option; do
  case $option in
    n) rounds=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# = 2 ] || usage
[[ "$rounds" =~ ^[1-9][0-9]*$ ]] || usage

mkdir -p "$repo/build/bench"

# A revision's programs, built once under build/bench/COMMIT from the commit's own files.
build_commit() {
  local sha=$1 dir="$repo/build/bench/$1"
  if [ ! -x "$dir/build/bin/skyrings" ] || [ ! -x "$dir/build/bin/game_bench" ]; then
    echo "building $sha in $dir ..." >&2
    rm -rf "$dir/src"
    mkdir -p "$dir/src"
    git -C "$repo" archive "$sha" | tar -x -C "$dir/src"
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$dir/build.log" 2>&1 &&
      cmake --build "$dir/build" -j2 --target skyrings game_bench skyrings_data >>"$dir/build.log" 2>&1 ||
      { echo "building $sha failed: see $dir/build.log" >&2; return 1; }
  fi
  echo "$dir/build/bin"
}

# The commit a revision names, once: a branch may move while the programs are measured.
commit_of() {
  [ -d "$1" ] || git -C "$repo" rev-parse --verify -q --short=12 "$1^{commit}" || true
}

# A folder holding the programs, as it is or built from a commit.
resolve() {
  if [ -d "$1" ]; then
    [ -x "$1/skyrings" ] || { echo "$1 holds no skyrings" >&2; return 1; }
    realpath "$1"
  elif [ -n "$2" ]; then
    build_commit "$2"
  else
    echo "$1 is neither a folder nor a revision of $repo" >&2
    return 1
  fi
}

old_commit=$(commit_of "$1")
new_commit=$(commit_of "$2")
BENCH_OLD_BIN=$(resolve "$1" "$old_commit")
BENCH_NEW_BIN=$(resolve "$2" "$new_commit")
old_name="$1${old_commit:+ ($old_commit)}"
new_name="$2${new_commit:+ ($new_commit)}"

# The start-time probe comes from this checkout, whatever the two programs are.
BENCH_FIRST_PICTURE="$repo/build/release/bin/first_picture"
if [ ! -x "$BENCH_FIRST_PICTURE" ]; then
  cmake -S "$repo" -B "$repo/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$repo/build/release" -j2 --target first_picture >/dev/null
fi

BENCH_WORK="$repo/build/bench/run-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$BENCH_WORK"
: > "$BENCH_WORK/results.txt"
export BENCH_OLD_BIN BENCH_NEW_BIN BENCH_FIRST_PICTURE BENCH_WORK BENCH_ROUNDS=$rounds
export BENCH_SECONDS=${SKYRINGS_BENCH_SECONDS:-8}
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date +%s)

echo "measuring $rounds rounds; raw numbers in $BENCH_WORK" >&2
xvfb-run -a -s "-screen 0 640x480x24" "$here/compare.sh" --inside 640 none
xvfb-run -a -s "-screen 0 1280x960x24" "$here/compare.sh" --inside 1280 openbox

for round in $(seq "$rounds"); do
  if [ $((round % 2)) = 1 ]; then order="old new"; else order="new old"; fi
  for side in $order; do
    bin_var="BENCH_${side^^}_BIN"
    (cd "${!bin_var}" && SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 ./game_bench 10 500 2>/dev/null) |
      awk -v side="$side" '/^scene construction/ {
        for (i = 1; i < NF; i++) if ($i == "median") print side, "scene", $(i + 1) }' \
        >> "$BENCH_WORK/results.txt" || true
  done
done

# ---- The table: median [lowest - highest] of each side, and how many numbers ----
echo
echo "old: $old_name"
echo "new: $new_name"
echo "$rounds rounds, $(( $(date +%s) - started )) s; load average before $load_before, after $(cut -d' ' -f1-3 /proc/loadavg)"
echo
awk '
  function median(side, key,   n, i, j, t, a) {
    n = count[side, key]
    for (i = 1; i <= n; i++) a[i] = value[side, key, i]
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    low = a[1]; high = a[n]
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  function cell(side, key, format,   m) {
    if (count[side, key] == 0) return sprintf("%-26s", "-")
    m = median(side, key)
    return sprintf("%-26s", sprintf(format " [" format "-" format "] n=%d", m, low, high, count[side, key]))
  }
  { count[$1, $2]++; value[$1, $2, count[$1, $2]] = $3 }
  END {
    split("game-640 game-1280 entry-640 entry-1280 scene start resident-640 resident-1280", keys, " ")
    title["game-640"] = "CPU in games, 640x480 (% core)"
    title["game-1280"] = "CPU in games, x2 1280x960 WM (%)"
    title["entry-640"] = "CPU on entry screen, 640x480 (%)"
    title["entry-1280"] = "CPU on entry screen, 1280x960 (%)"
    title["scene"] = "scene construction (ms)"
    title["start"] = "start to first picture (ms)"
    title["resident-640"] = "resident in a game, 640x480 (MiB)"
    title["resident-1280"] = "resident in a game, 1280x960 (MiB)"
    format["scene"] = "%.1f"; format["start"] = "%.0f"
    printf "%-35s %-26s %-26s\n", "what", "old: median [range]", "new: median [range]"
    for (k = 1; k <= 8; k++) {
      key = keys[k]
      f = (key in format) ? format[key] : "%.1f"
      printf "%-35s %s %s\n", title[key], cell("old", key, f), cell("new", key, f)
    }
  }' "$BENCH_WORK/results.txt" | tee "$BENCH_WORK/table.txt"
