#!/usr/bin/env bash
# What the window costs against the service, in one run on one machine:
#   1. on the default profile (as a first start makes it, at a 1-second interval), the desktop
#      program (under Xvfb with openbox), the service and the floor probe (a bare Qt window that
#      repaints one number a second, bench/window_floor_probe.cpp) side by side, through three
#      phases: the desktop's window shown, minimised, and covered by another window (xlogo over
#      the whole screen). Each phase prints the CPU seconds per hour of the desktop (its GUI
#      thread, its collector, Qt's other threads), of the service and of the floor, the
#      desktop's collector against the whole service (the same engine: what is beyond it is the
#      desktop's own), with the goals: minimised and covered, the desktop at most 1.1 times the service; shown, its GUI
#      thread at most 1.2 times the floor (read as the median of the runs: the floor is noisy).
#      Then the desktop's memory: resident, proportional (Pss) and private, shown.
#   2. the accessibility cost per sample with a real AT-SPI listener, 32 changing axes
#      (bench/chart_announce_measure.sh; goal: at most 100 us);
#   3. the service's sample against the floor probe (goal: at most 1.1 times the floor) and
#      its 2-second cost against the floor's (bench/service_floor_bench.cpp).
# Usage: bench/window_cost_measure.sh BUILD_DIR [SECONDS [RUNS]]
#        (default 60 s per phase, 1 run of the three phases)
# Needs Corvane, corvservice and the benchmarks built in BUILD_DIR, and xvfb, openbox,
# xdotool, x11-apps (xlogo), dbus-daemon, at-spi2-core and python3-pyatspi
# (scripts/deps.sh test).
#
# CPU time is read from /proc/PID/task/*/schedstat (nanoseconds on the CPU, summed over the
# process's threads), since clock ticks are too coarse for a program that uses a second an
# hour. Every program runs in a temporary folder with its own settings and XDG folders.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:-60}
runs=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/x11_display.sh
source "$here/x11_display.sh"
start_work_folder

cpu_ns() {  # the CPU time of a process's threads, in nanoseconds
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'
}
# Each thread of a process as "ID NAME NANOSECONDS", one a line.
thread_ns() {
  local task
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(tr ' ' _ <"$task/comm" 2>/dev/null) $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)"
  done
}
# Resident, proportional and private memory of a process, in kB.
memory_kb() {
  awk '$1 == "Rss:" { r = $2 } $1 == "Pss:" { p = $2 }
       $1 == "Private_Clean:" || $1 == "Private_Dirty:" { v += $2 }
       END { print r, p, v }' "/proc/$1/smaps_rollup"
}

start_x11_display

isolate_programs "$build/desktop/Corvane" "$build/service/corvservice"

# shellcheck source=bench/window_profiles.sh
source "$here/window_profiles.sh"
make_window_profiles

# One phase: the desktop, the service and the floor for $seconds; prints a line and appends
# the GUI thread's share of the floor to $work/gui_floor.NAME.
phase() {  # NAME
  local d0 s0 f0 d1 s1 f1
  d0=$(cpu_ns "$desktop")
  s0=$(cpu_ns "$service")
  f0=$(cpu_ns "$floor")
  thread_ns "$desktop" >"$work/threads0"
  sleep "$seconds"
  d1=$(cpu_ns "$desktop")
  s1=$(cpu_ns "$service")
  f1=$(cpu_ns "$floor")
  thread_ns "$desktop" >"$work/threads1"
  # The GUI thread is the process's first; the collector the other thread of the program's
  # name; the rest are Qt's own (X events, D-Bus).
  join "$work/threads0" "$work/threads1" | awk -v name="$1" -v main="$desktop" -v t="$seconds" \
    -v d=$((d1 - d0)) -v s=$((s1 - s0)) -v f=$((f1 - f0)) -v out="$work/gui_floor.$1" '
    { ns = $5 - $3
      if ($1 == main) gui += ns; else if ($2 == "Corvane") collector += ns; else other += ns }
    END { h = 1e9 / 3600 * t
      printf "  %-9s desktop %.2f CPU-s/h (GUI %.2f, collector %.2f, Qt'"'"'s others %.2f),", name, d / h, gui / h, collector / h, other / h
      printf " service %.2f, floor %.2f;", s / h, f / h
      printf " desktop/service %.2f, collector/service %.2f, GUI/floor %.2f\n", (s > 0 ? d / s : 0), (s > 0 ? collector / s : 0), (f > 0 ? gui / f : 0)
      printf "%.4f\n", (f > 0 ? gui / f : 0) >> out }'
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
# ---- 1. The default profile: shown, minimised, covered. ----
echo "the default profile at 1 s (goals: minimised and covered desktop/service <= 1.1;" \
  "shown GUI/floor <= 1.2, median of the runs):"
desk="$work/desktop/8"
svc="$work/service/8"
for run in $(seq "$runs"); do
  (cd "$desk" && exec "$work/Corvane" "$desk/Chart.crvn" >"$desk/out.log" 2>&1) &
  desktop=$!
  pids+=($desktop)
  (cd "$svc" && exec "$work/corvservice" -run "$svc/Chart.crvn" >"$svc/out.log" 2>&1) &
  service=$!
  pids+=($service)
  "$build/bench/window_floor_probe" >/dev/null 2>&1 &
  floor=$!
  pids+=($floor)
  window=$(wait_window '^Chart.crvn - Corvane$')
  wait_window '^Window floor probe$' >/dev/null
  sleep 5  # start-up settled
  echo " run $run:"
  phase shown
  read -r rss pss private < <(memory_kb "$desktop")
  awk -v r="$rss" -v p="$pss" -v v="$private" 'BEGIN {
    printf "  memory, shown: resident %.1f MB, proportional %.1f MB, private %.1f MB\n", r / 1024, p / 1024, v / 1024 }'

  xdotool windowminimize "$window"
  sleep 2
  phase minimised

  xdotool windowactivate "$window" 2>/dev/null || xdotool windowmap "$window"
  sleep 2
  xlogo -geometry 1024x768+0+0 >/dev/null 2>&1 &
  cover=$!
  pids+=($cover)
  wait_window '^xlogo$' >/dev/null
  xdotool windowraise "$(wait_window '^xlogo$')"
  sleep 2
  phase covered

  kill "$cover" "$desktop" "$service" "$floor"
  wait "$cover" "$desktop" "$service" "$floor" 2>/dev/null || true
done
sort -n "$work/gui_floor.shown" | awk '{ v[NR] = $1 } END {
  printf "  shown, GUI/floor over %d run(s): median %.2f (goal <= 1.2)\n", NR, v[int((NR + 1) / 2)] }'

# ---- 2. Accessibility with a listener. ----
echo "accessibility, 32 changing axes (goal: listener <= 100 us per sample):"
"$here/chart_announce_measure.sh" "$build" --benchmark_min_time=0.2 2>/dev/null | grep -E '^BM_' || true

# ---- 3. The service against the floor. ----
echo "the service against the floor probe (goal: sample ratio <= 1.1):"
CORVANE_COLLECTOR_COST_SECONDS="$seconds" "$build/bench/service_floor_bench" 2>/dev/null |
  grep -E '^BM_'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
