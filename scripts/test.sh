#!/bin/sh
# Sets up, builds and runs every test: the Linux build, its sanitizer builds
# and fuzzers, then the Win32 build with its tests under Wine. Usage: scripts/test.sh [build-dir]
# (the other builds go to <build-dir>-asan, -tsan, -fuzz, -win32 and, where
# needed, -win64).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)
sh scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer,
# the concurrency test with ThreadSanitizer, then every fuzz target for a
# bounded time.
sh scripts/test-sanitizers.sh "$build-asan" "$build-tsan"
FUZZ_SECONDS=${FUZZ_SECONDS:-15} sh scripts/fuzz.sh "$build-fuzz"

# The host's 32-bit DLLs.
sh scripts/setup-windows.sh i686
cmake -S . -B "$build-win32" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build-win32" -j "$jobs"
if wine --version >/dev/null 2>&1; then
  ctest --test-dir "$build-win32" --output-on-failure -j "$jobs"
else
  # Some sandboxes cannot start 32-bit programs at all, Wine's 32-bit loader
  # included. Check the DLLs' tables there, and run the same tests on the
  # 64-bit build of the same sources under 64-bit Wine.
  echo "note: this machine cannot run 32-bit programs; the Win32 tests run in a 64-bit build"
  ctest --test-dir "$build-win32" --output-on-failure -R '_exports$'
  sh scripts/setup-windows.sh x86_64
  cmake -S . -B "$build-win64" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DZVDS_MINGW_ARCH=x86_64 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build-win64" -j "$jobs"
  ctest --test-dir "$build-win64" --output-on-failure -j "$jobs"
fi
