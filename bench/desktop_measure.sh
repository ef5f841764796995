#!/usr/bin/env bash
# Measures the desktop program under Xvfb and openbox on the default profile (the default
# counters every 2 seconds, as a first start makes it):
#   - the time from start to the window's first paint and to the first painted chart (the
#     first sample's values drawn), over several starts;
#   - its CPU time over SECONDS, extrapolated to an hour (goal: at most 2 CPU-s/h);
#   - its resident memory (goal: at most 45 MB).
# Usage: bench/desktop_measure.sh BUILD_DIR [SECONDS] [STARTS]   (defaults: 300 s, 5 starts)
#
# A copy of the program runs in a temporary folder with its own settings files and XDG
# folders, so the user's settings are never touched. The profile is made as a user makes it
# on a first start: the wizard is dismissed, File > Exit, and the question answered with Save.
# The program writes when it painted (CORVANE_REPORT_PAINTS); start is taken just before exec.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
seconds=${2:-300}
starts=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=bench/x11_display.sh
source "$here/x11_display.sh"
start_work_folder

now_ms() { echo $(($(date +%s%N) / 1000000)); }

start_x11_display

# A copy of the program, so that its new profile goes into the temporary folder.
isolate_programs "$build/desktop/Corvane"

# ---- The default profile, made on a first start. ----
"$work/Corvane" >"$work/first.log" 2>&1 &
pid=$!
pids+=($pid)
wait_window 'Corvane Wizard$' >/dev/null
xdotool key Escape
frame=$(wait_window '^MyProfile.crvn - Corvane$')
xdotool windowactivate --sync "$frame" key alt+f x
# "Save changes to MyProfile.crvn?" with Save as its default button.
wait_window '^Corvane$' >/dev/null
xdotool key Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
profile="$work/MyProfile.crvn"
[ -f "$profile" ] || { echo "no profile was written" >&2; exit 1; }
axes=$(grep -c '^BeginAxis' "$profile")
echo "profile: the default counters ($axes axes), $(grep -a '^Interval=' "$profile" | tr -d '\r')"

# ---- Start-up: window painted, chart painted. ----
start_once() {  # sets paint and chart (ms after exec), leaves the process in $pid
  local log=$1 began
  began=$(now_ms)
  CORVANE_REPORT_PAINTS=1 "$work/Corvane" >"$log" 2>&1 &
  pid=$!
  pids+=($pid)
  for _ in $(seq 200); do grep -q 'first chart at' "$log" && break; sleep 0.05; done
  paint=$(sed -n 's/^Corvane: first paint at \([0-9]*\) ms$/\1/p' "$log")
  chart=$(sed -n 's/^Corvane: first chart at \([0-9]*\) ms$/\1/p' "$log")
  [ -n "$chart" ] || { echo "no chart painted within 10 s" >&2; cat "$log" >&2; exit 1; }
  paint=$((paint - began))
  chart=$((chart - began))
  local cpu
  read -r -a cpu < <(cut -d' ' -f14,15 "/proc/$pid/stat")
  startup_cpu=$(((cpu[0] + cpu[1]) * 1000 / $(getconf CLK_TCK)))
}
paints=()
charts=()
cpus=()
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$starts"); do
  start_once "$work/start$i.log"
  paints+=("$paint")
  charts+=("$chart")
  cpus+=("$startup_cpu")
  echo "start $i: window painted after $paint ms, first chart after $chart ms" \
    "(CPU time of the process by then: about $startup_cpu ms)"
  if [ "$i" -lt "$starts" ]; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  fi
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "start to window painted: median $(median "${paints[@]}") ms"
echo "start to first painted chart: median $(median "${charts[@]}") ms" \
  "(the first sample: a collection, 100 ms, a second collection)"
echo "CPU time of the process until the first chart: median $(median "${cpus[@]}") ms"

# ---- CPU and memory of the last start. ----
sleep 5  # start-up settled
ticks=$(getconf CLK_TCK)
read -r -a before < <(cut -d' ' -f14,15 "/proc/$pid/stat")
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
sleep "$seconds"
read -r -a after < <(cut -d' ' -f14,15 "/proc/$pid/stat")
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
used=$(((after[0] + after[1]) - (before[0] + before[1])))
echo "CPU: $used ticks in ${seconds} s = $(awk -v u="$used" -v t="$ticks" -v s="$seconds" \
  'BEGIN { printf "%.2f", u / t * 3600 / s }') CPU-s per hour"
grep -E 'VmRSS|VmHWM|RssAnon|RssFile|RssShmem' "/proc/$pid/status"
