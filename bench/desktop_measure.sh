#!/usr/bin/env bash
# Measures the desktop program under Xvfb and openbox on the default profile (2-second
# interval): the time from start to its window on screen, its resident memory and its CPU
# time, extrapolated to an hour. Usage: bench/desktop_measure.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-120}
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 display <&"$fd"
export DISPLAY=":$display"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# A copy of the program, so that its new profile goes into the temporary folder.
cp "$build/desktop/Corvane" "$work/"
export CORVANE_USER_REGISTRY="$work/registry.ini"
start=$(date +%s%N)
"$work/Corvane" >"$work/corvane.log" 2>&1 &
pid=$!
pids+=($pid)
xdotool search --sync --onlyvisible --name "Corvane" >/dev/null
shown=$(date +%s%N)
echo "start to window shown: $(((shown - start) / 1000000)) ms"

sleep 5  # start-up settled
ticks=$(getconf CLK_TCK)
read -r -a before < <(cut -d' ' -f14,15 "/proc/$pid/stat")
sleep "$seconds"
read -r -a after < <(cut -d' ' -f14,15 "/proc/$pid/stat")
used=$(((after[0] + after[1]) - (before[0] + before[1])))
echo "CPU: $used ticks in ${seconds} s = $(awk -v u="$used" -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", u / t * 3600 / s }') CPU-s per hour"
grep -E 'VmRSS|VmHWM' "/proc/$pid/status"
