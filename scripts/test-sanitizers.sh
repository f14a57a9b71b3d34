#!/bin/sh
# The Linux tests built with sanitizers, each build in its own folder:
#  (a) the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer,
#      leaks reported as failures;
#  (b) the concurrency test with ThreadSanitizer.
# Usage: scripts/test-sanitizers.sh [asan-build-dir [tsan-build-dir]]
set -eu
cd "$(dirname "$0")/.."
asan=${1:-build-asan}
tsan=${2:-build-tsan}
jobs=${JOBS:-2}

# Any report ends the test program with a failure; LeakSanitizer runs at exit.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

echo "== address,undefined: the whole suite ($asan)"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZVDS_SANITIZE=address,undefined >/dev/null
cmake --build "$asan" -j "$jobs"
ctest --test-dir "$asan" --output-on-failure -j "$jobs"

echo "== thread: the concurrency test ($tsan)"
cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZVDS_SANITIZE=thread >/dev/null
cmake --build "$tsan" -j "$jobs" --target concurrency_tests
ctest --test-dir "$tsan" --output-on-failure -R '^concurrency_tests$'
