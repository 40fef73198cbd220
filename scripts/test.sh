#!/usr/bin/env bash
# Builds Sky Rings and runs every test, twice: an optimised build, then a build with the address
# and undefined-behaviour sanitizers; then a short fixed-seed fuzzing run of every data file
# loader. Installs the Debian packages it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install_deps.sh test
jobs=$(nproc)

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DSKYRINGS_WERROR=ON
cmake --build build/release -j"$jobs"
ctest --test-dir build/release --output-on-failure -j"$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYRINGS_SANITIZE=ON \
  -DBUILD_TESTING=ON -DSKYRINGS_WERROR=ON
cmake --build build/sanitize -j"$jobs"
ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

fuzz/run.sh --ci
