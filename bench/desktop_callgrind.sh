#!/usr/bin/env bash
# Where the window's instructions go against the service's: the desktop program (under Xvfb
# with openbox, its window shown) and the service run under callgrind on the same profile at
# a 1-second interval, and after start-up has settled, instructions are counted over the
# same number of samples in each. Prints the instructions per sample of each and their
# ratio, the desktop's split by thread (thread 01 is the GUI thread), and leaves callgrind's
# files (one per thread, which callgrind_annotate reads) in OUT_FOLDER.
# Usage: bench/desktop_callgrind.sh BUILD_DIR [AXES (8 or 32, default 32)] [SAMPLES (30)]
#        [OUT_FOLDER (default: a new temporary folder, printed)]
# Needs Corvane and corvservice built in BUILD_DIR, valgrind, and what
# bench/window_cost_measure.sh needs. Instruction counts do not swing with the machine's
# load as CPU time does, so they compare two builds reliably.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
axes=${2:-32}
samples=${3:-30}
out=${4:-$(mktemp -d)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/x11_display.sh
source "$here/x11_display.sh"
start_work_folder
# shellcheck source=bench/window_profiles.sh
source "$here/window_profiles.sh"

start_x11_display
isolate_programs "$build/desktop/Corvane" "$build/service/corvservice"
make_window_profiles >/dev/null

# Both start with instrumentation off; it is switched on once start-up has settled and the
# counts are dumped after `samples` intervals.
grind() {  # NAME FOLDER COMMAND...
  local name=$1 folder=$2
  shift 2
  (cd "$folder" && exec valgrind --tool=callgrind --instr-atstart=no --separate-threads=yes \
    --callgrind-out-file="$out/$name.%p" "$@" >"$folder/out.log" 2>&1) &
  pids+=($!)
  echo $!
}
desk="$work/desktop/$axes"
svc="$work/service/$axes"
desktop=$(grind desktop "$desk" "$work/Corvane" "$desk/Chart.crvn")
service=$(grind service "$svc" "$work/corvservice" -run "$svc/Chart.crvn")
wait_window '^Chart.crvn - Corvane$' >/dev/null
sleep 15  # start-up settled (slow under valgrind)
callgrind_control -i on "$desktop" >/dev/null 2>&1
callgrind_control -i on "$service" >/dev/null 2>&1
sleep "$samples"
callgrind_control -d "$desktop" >/dev/null 2>&1
callgrind_control -d "$service" >/dev/null 2>&1
callgrind_control -i off "$desktop" >/dev/null 2>&1
callgrind_control -i off "$service" >/dev/null 2>&1
kill "$desktop" "$service" 2>/dev/null || true
wait "$desktop" "$service" 2>/dev/null || true

total() {  # the instructions in a program's dump taken after `samples` intervals
  local sum=0 file n
  for file in "$out/$1".*.1-*; do
    n=$(awk '/^summary:/ { print $2 }' "$file")
    sum=$((sum + ${n:-0}))
  done
  echo "$sum"
}
d=$(total desktop)
s=$(total service)
awk -v a="$axes" -v n="$samples" -v d="$d" -v s="$s" 'BEGIN {
  printf "%d axes, %d samples at 1 s: desktop %.0f instructions per sample, service %.0f, ratio %.2f\n",
    a, n, d / n, s / n, (s > 0 ? d / s : 0) }'
for file in "$out"/desktop.*.1-*; do
  awk -v t="${file##*-}" -v n="$samples" '/^summary:/ {
    printf "  desktop thread %s: %.0f instructions per sample\n", t, $2 / n }' "$file"
done
echo "callgrind files: $out"
