#!/bin/sh
# Sets up, builds and runs the host tool's tour of the simulated bench.
# Usage: scripts/demo.sh [output-dir]   (default: out/demo)
set -eu
cd "$(dirname "$0")/.."
out=${1:-out/demo}
sh scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target zvds dso_lc9350 dso_rhx4402 dso_rhx6000 dso_tds300 dso_rvt8800 zvds_visa_sim
./build/bin/zvds demo --out "$out"
