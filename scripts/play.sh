#!/usr/bin/env bash
# Builds Sky Rings and starts it. Installs the Debian packages it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh play
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build/release -j"$(nproc)" --target skyrings skyrings_data
exec ./build/release/bin/skyrings "$@"
