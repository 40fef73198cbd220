#!/usr/bin/env bash
# What the real game's resident memory is made of, a few seconds into a game under a virtual X
# display: /proc/PID/smaps summed by what each mapping holds. Rss counts a shared library's pages
# in full, Pss divides them among the processes that map them. A benchmark, not a test.
#   memory_breakdown.sh PROGRAM
# SKYRINGS_BENCH_SCREEN sets the virtual screen (default 640x480x24).
set -euo pipefail
# shellcheck source=tests/bench/running_game.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/running_game.sh"
program=$(realpath "$1")
if [ -z "${SKYRINGS_BENCH_INSIDE:-}" ]; then
  export SKYRINGS_BENCH_INSIDE=1
  exec xvfb-run -a -s "-screen 0 ${SKYRINGS_BENCH_SCREEN:-640x480x24}" "$0" "$@"
fi
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null

start_game "$program"
pid=$game_pid
sleep 2
echo "entry screen: $(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status") kB resident"
xdotool keydown Return
sleep 5
smaps=$(cat "/proc/$pid/smaps")
xdotool keyup Return
echo "in a game:    $(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status") kB resident"

awk '
  /^[0-9a-f]+-[0-9a-f]+ / {
    path = NF >= 6 ? $6 : ""
    if (path == "[heap]") what = "heap (malloc\x27s main arena)"
    else if (path == "") what = "anonymous (other arenas, large blocks, stacks, JIT code)"
    else if (path ~ /libLLVM/) what = "LLVM (llvmpipe\x27s shader compiler), code"
    else if (path ~ /\/dri\/|libgallium|libglapi|libGLX_mesa|libEGL_mesa|libGLdispatch|libGL\.|libEGL\./) what = "Mesa and GL dispatch, code"
    else if (path ~ /libSDL2/) what = "SDL2 and SDL2_mixer/ttf, code"
    else if (path ~ /libfluidsynth|libinstpatch|libsndfile|libglib|libgobject|libgthread/) what = "MIDI synthesiser and its libraries, code"
    else if (path ~ /libassimp|libdraco/) what = ".x mesh library, code"
    else if (path ~ /libstdc\+\+|libc\.so|libm\.so|ld-linux|libgcc/) what = "C and C++ run-time, code"
    else if (path ~ /\.(ttf|otf)$/) what = "fonts"
    else if (path ~ /SYSV|\/dev\/shm|memfd/) what = "shared memory with the X server"
    else if (path ~ /^\[/) what = "kernel ([stack], [vdso], ...)"
    else if (path == prog) what = "the program itself"
    else what = "other libraries, code"
    next
  }
  /^Rss:/ { rss[what] += $2; totalRss += $2 }
  /^Pss:/ { pss[what] += $2; totalPss += $2 }
  END {
    printf "%9s %9s  %s\n", "Rss kB", "Pss kB", "what"
    for (w in rss) printf "%9d %9d  %s\n", rss[w], pss[w], w | "sort -rn"
    close("sort -rn")
    printf "%9d %9d  total\n", totalRss, totalPss
  }' prog="$program" <<<"$smaps"

end_game
