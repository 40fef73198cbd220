#!/usr/bin/env bash
# The game's logic reaches SDL, OpenGL and SDL_mixer only through our own interfaces:
# no file outside the platform layers (and their tests, and the data generator) may include them.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='#[[:space:]]*include[[:space:]]*[<"](SDL|SDL2/|GL/|GLES|EGL/|KHR/)'
hits=$(grep -rnE "$pattern" shell input sound render game programs tests/core || true)
if [ -n "$hits" ]; then
  echo "Platform headers included outside platform/:"
  echo "$hits"
  exit 1
fi
echo "layering: no platform header outside platform/"
