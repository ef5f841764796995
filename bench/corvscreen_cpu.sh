#!/usr/bin/env bash
# CPU time of corvscreen running full-screen ("/s") at 1920 x 1080 under Xvfb on the default
# profile (default counters every 4 s, chart moved every 20 s), in CPU seconds per minute.
#   bench/corvscreen_cpu.sh [CORVSCREEN] [SECONDS]      (defaults: build/dev, 60)
# The first 5 seconds (start-up, fonts) are not counted. Ends every process it started.
set -euo pipefail
corvscreen=$(realpath "${1:-build/dev/screensaver/corvscreen}")
seconds=${2:-60}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 -u "$fd" display
export DISPLAY=":$display" HOME="$work" XDG_RUNTIME_DIR="$work"
export CORVANE_USER_REGISTRY="$work/user.ini" CORVANE_DEFAULT_REGISTRY="$work/default.ini"

"$corvscreen" /s >/dev/null 2>&1 &
saver=$!
pids+=("$saver")
ticks() { awk '{print $14 + $15}' "/proc/$saver/stat"; }
sleep 5
start=$(ticks)
sleep "$seconds"
end=$(ticks)
hz=$(getconf CLK_TCK)
awk -v t=$((end - start)) -v hz="$hz" -v s="$seconds" 'BEGIN {
  printf "corvscreen /s 1920x1080, default profile: %.2f CPU-s in %d s = %.3f CPU-s per minute\n",
         t / hz, s, t / hz * 60 / s }'
