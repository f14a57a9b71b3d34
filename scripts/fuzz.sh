#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# from its seed corpus (fuzz/corpus/<target>/). A crash, a leak, a read
# outside the received bytes or a failed check fails the run.
# Usage: scripts/fuzz.sh [build-dir]   (FUZZ_SECONDS: time per target, default 20)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-20}
cxx=${FUZZ_CXX:-clang++}
command -v "$cxx" >/dev/null || { echo "fuzz.sh: $cxx not found" >&2; exit 1; }

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
  -DZVDS_BUILD_FUZZ=ON -DZVDS_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target zvds_fuzzers

targets="fuzz_lc9350 fuzz_rhx4402 fuzz_rhx6000 fuzz_tds300 fuzz_rvt8800
  fuzz_translate_address fuzz_messages fuzz_registry_store"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
summary=""
failed=""
for t in $targets; do
  # New inputs go to a corpus of the build's own; the seeds stay as they are.
  work="$build/fuzz-corpus/$t"
  mkdir -p "$work" "$build/fuzz-artifacts"
  log="$build/fuzz-artifacts/$t.log"
  if "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
      "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed="$failed $t"
    tail -n 40 "$log" >&2
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  line=$(printf '%-24s %10s executions  %s' "$t" "${runs:-?}" "$status")
  echo "$line"
  summary="$summary$line
"
done
echo
echo "fuzzing, ${seconds} s per target:"
printf '%s' "$summary"
if [ -n "$failed" ]; then
  echo "fuzzing failed:$failed (inputs in $build/fuzz-artifacts/)" >&2
  exit 1
fi
