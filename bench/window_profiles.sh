# shellcheck shell=bash
# The profiles the window measurements run on, sourced by bench/window_cost_measure.sh and
# bench/desktop_callgrind.sh (bash, after bench/x11_display.sh's start_x11_display):
#   make_window_profiles   makes the default profile as a first start makes it (the wizard
#                          dismissed, File > Exit, Save) with $work/Corvane, then writes
#                          $work/{desktop,service}/{8,32}/Chart.crvn: that profile at a
#                          1-second interval, and the same with 24 more counters.
# The caller sets `work` and `pids` and exports the private HOME and XDG folders.

make_window_profiles() {
  local pid frame
  "${work:?}/Corvane" >"$work/first.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  wait_window 'Corvane Wizard$' >/dev/null
  xdotool key Escape
  frame=$(wait_window '^MyProfile.crvn - Corvane$')
  for _ in $(seq 30); do  # openbox may still be taking over the screen
    xdotool windowactivate --sync "$frame" 2>/dev/null && break
    sleep 0.3
  done
  xdotool key alt+f x
  wait_window '^Corvane$' >/dev/null
  xdotool key Return
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  [ -f "$work/MyProfile.crvn" ] || { echo "no profile was written" >&2; exit 1; }

  # The 8-axis and 32-axis profiles at a 1-second interval.
  python3 - "$work/MyProfile.crvn" "$work" <<'PY'
import sys
source, work = sys.argv[1], sys.argv[2]
text = open(source, newline="").read()
lines = [l for l in text.split("\r\n")]
lines = ["Interval=1" if l.startswith("Interval=") else l for l in lines]
axes = sum(1 for l in lines if l == "BeginAxis")
extra = [r"\Processor(_Total)\% User Time", r"\Processor(_Total)\% Privileged Time",
         r"\Processor(_Total)\% Idle Time", r"\Processor(_Total)\Interrupts/sec",
         r"\Memory\Committed Bytes", r"\Memory\Commit Limit", r"\Memory\Available Bytes",
         r"\Memory\Available MBytes", r"\Memory\Cache Bytes", r"\Memory\Pages/sec",
         r"\Memory\Page Faults/sec", r"\Paging File(_Total)\% Usage Peak",
         r"\System\Context Switches/sec", r"\System\Processor Queue Length",
         r"\System\System Up Time", r"\LogicalDisk(_Total)\Free Megabytes",
         r"\PhysicalDisk(_Total)\% Idle Time", r"\PhysicalDisk(_Total)\Disk Bytes/sec",
         r"\PhysicalDisk(_Total)\Avg. Disk Queue Length", r"\Network Interface(lo)\Bytes Total/sec",
         r"\Network Interface(lo)\Bytes Sent/sec", r"\LogicalDisk(_Total)\Disk Read Bytes/sec",
         r"\LogicalDisk(_Total)\Disk Write Bytes/sec", r"\PhysicalDisk(_Total)\Disk Reads/sec",
         r"\PhysicalDisk(_Total)\Disk Writes/sec", r"\Objects\Semaphores"]
def write(name, body):
    for folder in ("desktop", "service"):
        import os
        os.makedirs(os.path.join(work, folder, name), exist_ok=True)
        with open(os.path.join(work, folder, name, "Chart.crvn"), "w", newline="") as out:
            out.write("\r\n".join(body))
write("8", lines)
more = []
for path in extra[: max(0, 32 - axes)]:
    more += ["BeginAxis", "Name=" + path.split("\\")[-1], "Desc=", "MinValue=0.000000",
             "MaxValue=1000000000000.000000", "CriticalValue=1000000000000.000000",
             "Multiplier=1.000000", "Inverse=0", "Counter=" + path, "EndAxis", ""]
end = len(lines)
while end > 0 and lines[end - 1] == "":
    end -= 1
write("32", lines[:end] + [""] + more)
print("profile: the default counters (%d axes), Interval=1; and %d axes" %
      (axes, axes + len(more) // 11))
PY
}
