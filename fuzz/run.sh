#!/usr/bin/env bash
# Fuzzes every data file loader of the game with libFuzzer.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [HARNESS...]
#       a campaign: each harness (all five when none is named) runs that long (default 60); what
#       it learns stays in build/fuzz/corpus for the next one
#   fuzz/run.sh --ci
#       a short fixed-seed run of every harness from the game's own files, for continuous
#       integration
#
# Harnesses: fuzz_x_mesh, fuzz_x_animation, fuzz_bmp, fuzz_wav, fuzz_midi.
#
# Builds with clang-14 in build/fuzz: the harnesses, the loaders and the data generator, whose
# files seed the corpora. Every run is held to 256 MB and 10 seconds an input. Exits non-zero
# when any harness finds a crash, a leak, a hang or runaway memory; the input that did it is
# saved in build/fuzz/findings/<harness>/ and can be replayed with
#   build/fuzz/bin/<harness> build/fuzz/findings/<harness>/<file>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$root/build/fuzz

usage() {
  echo "usage: $0 [SECONDS_PER_TARGET] [HARNESS...] | --ci" >&2
  exit 2
}
mode=campaign
seconds=60
case "${1:-}" in
  --ci)
    mode=ci
    shift
    (($# == 0)) || usage
    ;;
  "") ;;
  *[!0-9]* | 0) [[ $1 == fuzz_* ]] || usage ;;
  *)
    seconds=$1
    shift
    ;;
esac

# Runs per harness in CI mode: all five take well under a minute together on two cores.
declare -A ci_runs=([fuzz_x_mesh]=1500 [fuzz_x_animation]=1500 [fuzz_bmp]=6000 [fuzz_wav]=30000
                    [fuzz_midi]=60000)
# The game's own files each harness starts from, and the dictionary that helps it mutate them.
declare -A game_seeds=([fuzz_x_mesh]="stage.x ring.x karasu.x"
                       [fuzz_x_animation]="bird1.x bird2.x bird3.x bird4.x"
                       [fuzz_bmp]="back1.bmp title.bmp icon.bmp"
                       [fuzz_wav]="ok.wav ring.wav out.wav cur.wav"
                       [fuzz_midi]="bgm.mid")
declare -A dictionary=([fuzz_x_mesh]=x.dict [fuzz_x_animation]=x.dict [fuzz_bmp]=bmp.dict
                       [fuzz_wav]=wav.dict [fuzz_midi]=midi.dict)
all=(fuzz_x_mesh fuzz_x_animation fuzz_bmp fuzz_wav fuzz_midi)
harnesses=("${@:-${all[@]}}")
for harness in "${harnesses[@]}"; do
  [[ -n ${game_seeds[$harness]:-} ]] || usage
done

for tool in clang-14 clang++-14 cmake; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz: $tool is missing (Debian: apt-get install clang-14 libclang-rt-14-dev cmake)" >&2
    exit 2
  fi
done

echo "== building the harnesses in $build"
if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSKYRINGS_FUZZ=ON >"$build.configure.log" 2>&1 || {
    cat "$build.configure.log" >&2
    exit 2
  }
fi
cmake --build "$build" -j2 --target skyrings_fuzzers >"$build/build.log" 2>&1 || {
  tail -n 60 "$build/build.log" >&2
  exit 2
}

# Seeds: the game's files as the build generates them, plus the hand-made hostile ones.
seeds=$build/seeds
rm -rf "$seeds"
for harness in "${all[@]}"; do
  mkdir -p "$seeds/$harness"
  for file in ${game_seeds[$harness]}; do cp "$build/bin/$file" "$seeds/$harness/"; done
  kind=${harness#fuzz_}
  kind=${kind%_*}  # x_mesh and x_animation share the .x seeds
  if [[ -d $here/seeds/$kind ]]; then cp "$here/seeds/$kind"/* "$seeds/$harness/"; fi
done

if [[ $mode == ci ]]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
else
  work=$build
fi

# A small quarantine keeps the memory limit about the loaders, not about the sanitizer.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0:quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=()
summary=()
started=$SECONDS
for harness in "${harnesses[@]}"; do
  corpus=$work/corpus/$harness
  findings=$build/findings/$harness
  mkdir -p "$corpus" "$findings"
  options=(-rss_limit_mb=256 -malloc_limit_mb=256 -timeout=10 -print_final_stats=1
           "-artifact_prefix=$findings/" "-dict=$here/${dictionary[$harness]}")
  if [[ $mode == ci ]]; then
    options+=(-seed=1 "-runs=${ci_runs[$harness]}")
  else
    options+=("-max_total_time=$seconds")
  fi
  log=$build/$harness.log
  echo "== $harness (${options[*]: -1})"
  status=0
  "$build/bin/$harness" "${options[@]}" "$corpus" "$seeds/$harness" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
  size=$(find "$corpus" -type f | wc -l)
  summary+=("$(printf '%-18s %10s runs  %5s MB peak  %6s in corpus  %s' "$harness" "${runs:-?}" \
    "${peak:-?}" "$size" "$([[ $status == 0 ]] && echo ok || echo "FAILED ($status)")")")
  if [[ $status != 0 ]]; then
    failed+=("$harness")
    grep -E '^==[0-9]+==ERROR|^SUMMARY|broken promise|ALARM|out-of-memory|Test unit written' \
      "$log" >&2 || tail -n 30 "$log" >&2
  fi
done

echo "== done in $((SECONDS - started)) s of fuzzing"
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
  echo "fuzz: findings in ${failed[*]} (logs in $build/<harness>.log)" >&2
  exit 1
fi
