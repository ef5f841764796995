#!/usr/bin/env bash
# What the window costs against the service, in one run on one machine:
#   1. the desktop program and the service side by side on the same profile at a 1-second
#      interval, for 8 axes (the default profile as a first start makes it) and for 32 axes
#      (the same with 24 more counters): CPU seconds per hour of each and their ratio (goal:
#      the desktop at most 1.3 times the service), and resident memory (goal: the desktop at
#      most 30 MB), then the desktop's CPU split between its GUI thread, its collector and
#      Qt's other threads, against the floor of a bare Qt window that repaints one number a
#      second (bench/window_floor_probe.cpp) running meanwhile. The desktop runs under Xvfb
#      with openbox, its window shown.
#   2. the accessibility cost per sample with a real AT-SPI listener, 32 changing axes
#      (bench/chart_announce_measure.sh; goal: at most 100 us);
#   3. the service's sample against the floor probe (goal: at most 1.1 times the floor) and
#      its 2-second cost against the floor's (bench/service_floor_bench.cpp).
# Usage: bench/window_cost_measure.sh BUILD_DIR [SECONDS]   (default 60 s per window)
# Needs Corvane, corvservice and the benchmarks built in BUILD_DIR, and xvfb, openbox,
# xdotool, dbus-daemon, at-spi2-core and python3-pyatspi (scripts/deps.sh test).
#
# CPU time is read from /proc/PID/task/*/schedstat (nanoseconds on the CPU, summed over the
# process's threads), since clock ticks are too coarse for a program that uses a second an
# hour. Every program runs in a temporary folder with its own settings and XDG folders.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/x11_display.sh
source "$here/x11_display.sh"
start_work_folder

cpu_ns() {  # the CPU time of a process's threads, in nanoseconds
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'
}
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
# Each thread of a process as "ID NAME NANOSECONDS", one a line.
thread_ns() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(tr ' ' _ <"$task/comm" 2>/dev/null) $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)"
  done
}

start_x11_display

isolate_programs "$build/desktop/Corvane" "$build/service/corvservice"

# shellcheck source=bench/window_profiles.sh
source "$here/window_profiles.sh"
make_window_profiles

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
# ---- 1. Desktop against service, side by side. ----
for axes in 8 32; do
  desk="$work/desktop/$axes"
  svc="$work/service/$axes"
  (cd "$desk" && exec "$work/Corvane" "$desk/Chart.crvn" >"$desk/out.log" 2>&1) &
  desktop=$!
  pids+=($desktop)
  (cd "$svc" && exec "$work/corvservice" -run "$svc/Chart.crvn" >"$svc/out.log" 2>&1) &
  service=$!
  pids+=($service)
  "$build/bench/window_floor_probe" >/dev/null 2>&1 &
  floor=$!
  pids+=($floor)
  wait_window '^Chart.crvn - Corvane$' >/dev/null
  sleep 5  # start-up settled
  d0=$(cpu_ns "$desktop")
  s0=$(cpu_ns "$service")
  f0=$(cpu_ns "$floor")
  thread_ns "$desktop" >"$work/threads0"
  sleep "$seconds"
  d1=$(cpu_ns "$desktop")
  s1=$(cpu_ns "$service")
  f1=$(cpu_ns "$floor")
  thread_ns "$desktop" >"$work/threads1"
  drss=$(rss_kb "$desktop")
  srss=$(rss_kb "$service")
  awk -v a="$axes" -v d=$((d1 - d0)) -v s=$((s1 - s0)) -v t="$seconds" -v dr="$drss" \
    -v sr="$srss" 'BEGIN {
      dh = d / 1e9 * 3600 / t; sh = s / 1e9 * 3600 / t
      printf "%2d axes, 1 s: desktop %.2f CPU-s/h, service %.2f CPU-s/h, ratio %.2f (goal <= 1.3);", a, dh, sh, (sh > 0 ? dh / sh : 0)
      printf " resident: desktop %.1f MB (goal <= 30), service %.1f MB\n", dr / 1024, sr / 1024 }'
  # Where the desktop's time went: the GUI thread (the process's first), the collector (the
  # other thread of the program's name) and Qt's own threads (X events, D-Bus, painting).
  # The window floor: a bare Qt window repainting one number a second, meanwhile.
  join "$work/threads0" "$work/threads1" | awk -v main="$desktop" -v t="$seconds" \
    -v f=$((f1 - f0)) -v s=$((s1 - s0)) '
    { ns = $5 - $3
      if ($1 == main) gui += ns; else if ($2 == "Corvane") collector += ns; else other += ns }
    END { h = 1e9 / 3600 * t
      printf "    desktop threads: GUI %.2f CPU-s/h, collector %.2f, Qt'"'"'s others %.2f\n",
            gui / h, collector / h, other / h
      printf "    window floor (a bare Qt window repainting one number a second): %.2f CPU-s/h;", f / h
      printf " the 1.3 goal leaves the GUI %.2f\n", 0.3 * s / h }'
  kill "$desktop" "$service" "$floor"
  wait "$desktop" "$service" "$floor" 2>/dev/null || true
done

# ---- 2. Accessibility with a listener. ----
echo "accessibility, 32 changing axes (goal: listener <= 100 us per sample):"
"$here/chart_announce_measure.sh" "$build" --benchmark_min_time=0.2 2>/dev/null | grep -E '^BM_' || true

# ---- 3. The service against the floor. ----
echo "the service against the floor probe (goal: sample ratio <= 1.1):"
CORVANE_COLLECTOR_COST_SECONDS="$seconds" "$build/bench/service_floor_bench" 2>/dev/null |
  grep -E '^BM_'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
