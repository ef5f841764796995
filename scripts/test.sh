#!/usr/bin/env bash
# Builds Corvane with warnings as errors and runs the whole test suite, then runs it again under
# AddressSanitizer with UndefinedBehaviorSanitizer, and under ThreadSanitizer.
#   scripts/test.sh            everything
#   scripts/test.sh --quick    the plain build only
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

jobs=$(nproc)
run_suite() {  # run_suite BUILD_DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCORVANE_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300
}

run_suite build/ci -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ "${1:-}" = --quick ]; then exit 0; fi

# The sanitizer builds skip the GUI and the benchmarks: they test the core, where the threads are.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/asan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=address,undefined \
  -DCORVANE_BUILD_GUI=OFF -DCORVANE_BUILD_BENCHMARKS=OFF
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
run_suite build/tsan -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=thread \
  -DCORVANE_BUILD_GUI=OFF -DCORVANE_BUILD_BENCHMARKS=OFF
echo "All test suites passed."
