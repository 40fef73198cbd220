#!/usr/bin/env bash
# Builds the Debian package of Sky Rings (an optimised build without the tests) and prints its
# path. Installs the Debian packages it needs first. Install the result with
#   sudo apt install ./build/package/skyrings_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh package
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build/package -j"$(nproc)"
rm -f build/package/skyrings_*.deb
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/skyrings_*.deb
