#!/usr/bin/env bash
# Checks the formatting of the C++ files, builds Corvane with warnings as errors and runs the
# whole test suite, builds the Debian packages and tests them, then runs the suite again under
# AddressSanitizer with UndefinedBehaviorSanitizer, and under ThreadSanitizer.
#   scripts/test.sh            everything
#   scripts/test.sh --quick    the plain build only, without the tests labelled slow (those
#                              that wait for real seconds)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh test

# First, as it takes seconds: a file that differs from .clang-format fails the run.
scripts/format-check.sh

jobs=$(nproc)
# The tests of the Debian packages run once, in the package stage below.
ctest_filter=(--label-exclude packaging)
if [ "${1:-}" = --quick ]; then ctest_filter=(--label-exclude 'slow|packaging'); fi
# Every stage compiles through ccache when it is installed: a rerun with nothing changed
# compiles nothing, and a second clone of the same commit is served from the same cache.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi
stage_times=()
stage_start=$SECONDS
stage_done() {  # stage_done NAME: records the time since the last stage ended
  stage_times+=("$(printf '%-22s %5d s' "$1" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}
report_times() {
  echo "Stage times:"
  printf '  %s\n' "${stage_times[@]}"
  echo "  whole run              $SECONDS s"
}
trap 'report_times' EXIT
stage_done "formatting"

# Most cases wait (on a sample, a server, a window) far more than they compute, under the
# sanitizers too: with one case per core the stages kept the cores busy a sixth of their time,
# so they run four cases per core. The cases that share something of the machine (a mount
# table, an X display number) hold a resource lock.
test_jobs=$((jobs * 4))
run_suite() {  # run_suite NAME BUILD_DIR [cmake options...]
  local name=$1 dir=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCORVANE_WERROR=ON "${launcher[@]}" "$@"
  cmake --build "$dir" -j "$jobs"
  stage_done "$name build"
  # A case that fails is run once more: a few cases that wait on real servers and real time
  # (corvservice's hostile clients, the Prometheus server's failures) can miss on a loaded
  # 2-core machine; a real fault fails twice.
  ctest --test-dir "$dir" --output-on-failure -j "$test_jobs" --timeout 300 --repeat until-pass:2 \
    "${ctest_filter[@]}"
  stage_done "$name tests"
}

# The plain stage is built with Debian's own flags and paths, so that the packages are made
# from its programs below.
mapfile -t deb_flags < <(scripts/deb-build-flags.sh)
run_suite plain build/ci "${deb_flags[@]}" -DCORVANE_TEST_EACH_CASE=ON
if [ "${1:-}" = --quick ]; then exit 0; fi

# The Debian packages, made from build/ci's programs (scripts/package.sh), then taken apart,
# run, linted, installed and purged by the tests labelled packaging, which compare them with
# what build/ci installs. They start a display and the real programs on it, so a case that
# fails is run once more, as in the stages' suites.
CORVANE_PREBUILT_TREE=build/ci scripts/package.sh build/packages
ctest --test-dir build/ci --output-on-failure --timeout 600 --repeat until-pass:2 \
  --label-regex packaging
stage_done "packages"

# The sanitizer stages run each test program as one process (CORVANE_TEST_EACH_CASE=OFF), not
# one process per case: the output still names a failing case, and the plain stage has already
# run each case alone. They leave out the real-time checks labelled twinned, whose rules other
# cases run on an injected clock: under a sanitizer those checks measure its speed, not ours.
ctest_filter=(--label-exclude 'packaging|twinned')
#
# AddressSanitizer and UndefinedBehaviorSanitizer run everything, the Qt programs' tests too
# (offscreen: no display needed); Qt's and fontconfig's own allocations that live until exit
# are not reported as leaks (scripts/lsan-suppressions.txt).
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
# Line tables (-g1) are all the sanitizers' reports need, and much cheaper to build than full
# debug information.
run_suite asan build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DCORVANE_SANITIZE=address,undefined -DCORVANE_BUILD_BENCHMARKS=OFF -DCORVANE_TEST_EACH_CASE=OFF
# ThreadSanitizer runs without the GUI: Qt is not built with it, so its own threads (the
# offscreen platform's, QThreadPool's, D-Bus's) report races inside uninstrumented code that
# are no fault of ours. The collector, where the threads are, is in the core and tested here.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
run_suite tsan build/tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DCORVANE_SANITIZE=thread -DCORVANE_BUILD_GUI=OFF -DCORVANE_BUILD_BENCHMARKS=OFF \
  -DCORVANE_TEST_EACH_CASE=OFF
# Each fuzz target runs for a short while from its seed corpus (copied, so the run's new inputs
# stay out of the repository).
fuzz_dir=build/fuzz
cmake -S . -B "$fuzz_dir" -G Ninja -DCORVANE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_BUILD_FUZZERS=ON -DCORVANE_BUILD_GUI=OFF \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF "${launcher[@]}"
cmake --build "$fuzz_dir" -j "$jobs" --target corvane_fuzzers
stage_done "fuzz build"
# A finding prints the fuzzer's report and the input that caused it (also kept under
# build/fuzz/findings), so that a run elsewhere can be repeated here.
findings="$fuzz_dir/findings"
rm -rf "$findings" && mkdir -p "$findings"
for fuzzer in "$fuzz_dir"/fuzz/*_fuzz; do
  name=$(basename "$fuzzer" _fuzz)
  corpus=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
  echo "Fuzzing $name for ${CORVANE_FUZZ_SECONDS:-30} s"
  status=0
  "$fuzzer" -max_total_time="${CORVANE_FUZZ_SECONDS:-30}" -print_final_stats=1 \
    -artifact_prefix="$findings/$name-" "$corpus" >"$findings/$name.log" 2>&1 || status=$?
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then
    grep -v -e '^#[0-9]' -e 'NEW_FUNC' "$findings/$name.log" | tail -n 60 >&2
    for input in "$findings/$name"-*; do
      [ -f "$input" ] || continue
      echo "The input, base64 ($input):" >&2
      base64 "$input" | head -c 20000 >&2
      echo >&2
    done
    echo "Fuzz target $name failed (status $status)" >&2
    exit 1
  fi
  tail -n 3 "$findings/$name.log"
done
stage_done "fuzzing"
echo "All test suites passed."
