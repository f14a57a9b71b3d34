#!/bin/sh
# Builds and runs the benchmarks in a Release build of their own; the run
# ends with the medians set against the targets.
# Usage: scripts/bench.sh [build-dir] [extra benchmark options...]
# Repetitions (default 7) and time per repetition (default 0.1 s) can be set
# with BENCH_REPETITIONS and BENCH_MIN_TIME.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
[ $# -gt 0 ] && shift
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZVDS_BUILD_BENCH=ON -DZVDS_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target zvds_bench
# Repetitions are interleaved at random, so that a change in the machine's
# load touches a read and its baseline alike; the medians are reported.
"$build/bin/zvds_bench" \
  --benchmark_repetitions="${BENCH_REPETITIONS:-7}" \
  --benchmark_min_time="${BENCH_MIN_TIME:-0.1}" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_color=false \
  "$@"
