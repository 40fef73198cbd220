#!/usr/bin/env bash
# The layering, by includes: logic -> interfaces <- platform.
#  - Only the platform layers (and their tests, the fuzzers and the data tests) include SDL, OpenGL or
#    SDL_mixer headers; every other folder reaches them through our own interfaces.
#  - The platform layers include no logic header (shell, input, sound, render, game, programs).
#  - The interfaces include nothing of ours but other interfaces.
# Fails loudly when it cannot judge: no files found, an expected folder missing, grep failing.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "layering: $*" >&2
  exit 1
}

# Folders that may include platform library headers.
platform_folders='^(platform/(sdl|gl|mixer|joystick)|tests/(sdl|gl|mixer|joystick|assets|hardening|bench|e2e)|fuzz)(/|$)'
# Folders that must be among the checked ones: a rename must not drop one from the check.
expected_checked=(shell input sound render game interfaces programs assets platform/headless
                  platform/common tests/core)

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  all_files=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.hpp' '*.cc')
else
  all_files=$(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' \
    -o -name '*.cc' \) -print | sed 's#^\./##')
fi
[ -n "$all_files" ] || fail "no C++ files found"

checked=()
platform=()
while IFS= read -r file; do
  [ -e "$file" ] || continue  # deleted in the working tree, not yet in the index
  if [[ "$(dirname "$file")" =~ $platform_folders ]]; then
    [[ "$file" == platform/* ]] && platform+=("$file")
  else
    checked+=("$file")
  fi
  if [[ "$file" == platform/headless/* || "$file" == platform/common/* ]]; then
    platform+=("$file")
  fi
done <<< "$all_files"

for folder in "${expected_checked[@]}"; do
  printf '%s\n' "${checked[@]}" | grep -q "^$folder/" || fail "no C++ files checked in $folder/"
done
[ "${#platform[@]}" -gt 0 ] || fail "no platform files found"

# Sets `hits` to the lines matching `pattern` in the files; returns 1 when there are none and
# stops the check when grep cannot run.
find_hits() {
  local pattern=$1
  shift
  local status=0
  hits=$(grep -nE "$pattern" "$@") || status=$?
  [ "$status" -le 1 ] || fail "grep failed (status $status)"
  return "$status"
}

include='#[[:space:]]*include[[:space:]]*'
status=0
if find_hits "$include[<\"](SDL|SDL2/|GL/|GLES|EGL/|KHR/)" "${checked[@]}"; then
  echo "Platform library headers included outside the platform layers:" >&2
  echo "$hits" >&2
  status=1
fi
if find_hits "$include\"(shell|input|sound|render|game|programs)/" "${platform[@]}"; then
  echo "Logic headers included by platform code (it may use interfaces/ only):" >&2
  echo "$hits" >&2
  status=1
fi
interfaces=()
for file in "${checked[@]}"; do
  [[ "$file" == interfaces/* ]] && interfaces+=("$file")
done
if find_hits "$include\"[^\"]*/" "${interfaces[@]}"; then
  outside=$(echo "$hits" | grep -v "$include\"interfaces/" || true)
  if [ -n "$outside" ]; then
    echo "Interfaces including more than other interfaces:" >&2
    echo "$outside" >&2
    status=1
  fi
fi
[ "$status" -eq 0 ] || exit 1
echo "layering: ${#checked[@]} files free of platform headers, ${#platform[@]} platform files" \
  "free of logic headers"
