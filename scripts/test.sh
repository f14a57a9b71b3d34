#!/bin/sh
# Sets up, builds and runs every test. Usage: scripts/test.sh [build-dir]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
sh scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
