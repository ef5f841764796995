#!/bin/sh
# Measures how machines that never answer affect the service's sampling, with hanging
# exporters on 127.0.0.1 (a Python server that accepts, reads the request and never answers,
# or answers once first):
#   1. rows the activity log gets in 60 s at Interval=1, two local counters and one counter on
#      a machine that answered once and then hangs;
#   2. seconds from start to the first row with eight hanging machines.
# Usage: bench/scripts/slow_machines.sh BUILD_DIR   (needs corvservice built there; python3)
set -eu
build=${1:?usage: $0 BUILD_DIR}
service="$build/service/corvservice"
work=$(mktemp -d)
pids=""
cleanup() { for p in $pids; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT INT TERM

# hang_server PORTFILE ANSWERS: answers ANSWERS requests with a node page, then hangs.
hang_server() {
  python3 - "$1" "$2" <<'PY' &
import socket, sys, threading
port_file, answers = sys.argv[1], int(sys.argv[2])
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(64)
open(port_file, "w").write(str(s.getsockname()[1]))
page = b"node_load1 0.5\nnode_memory_MemTotal_bytes 1e9\nnode_memory_MemAvailable_bytes 5e8\nnode_procs_running 2\n"
held = []
while True:
    c, _ = s.accept()
    c.recv(65536)
    if answers > 0:
        answers -= 1
        c.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain; version=0.0.4\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % len(page) + page)
        c.close()
    else:
        held.append(c)
PY
  pids="$pids $!"
}

axis() {
  printf 'BeginAxis\r\nName=%s\r\nDesc=\r\nMinValue=0.000000\r\nMaxValue=100.000000\r\nCriticalValue=90.000000\r\nMultiplier=1.000000\r\nInverse=0\r\nCounter=%s\r\nEndAxis\r\n\r\n' "$1" "$2"
}
profile_head() {
  printf 'Interval=1\r\nHistory=10\r\nLogMode=1\r\nLogFormat=1\r\nLogFileSize=4096\r\n\r\n'
}
wait_port() { while [ ! -s "$1" ]; do sleep 0.05; done; cat "$1"; }
run_service() {  # PROFILE SECONDS
  CORVANE_DEFAULT_REGISTRY="$work/registry.ini" "$service" -run "$1" > "$work/out.txt" 2>&1 &
  spid=$!
  sleep "$2"
  kill -INT "$spid"; wait "$spid" || true
}

# 1. One machine that answered once, then hangs.
hang_server "$work/p1" 1
port=$(wait_port "$work/p1")
{ profile_head
  axis Threads '\Objects\Threads'
  axis Memory '\Memory\% Committed Bytes In Use'
  axis Remote "\\\\127.0.0.1:$port\\Memory\\% Committed Bytes In Use"; } > "$work/one.crvn"
run_service "$work/one.crvn" 60
rows=$(grep -c '^[0-9]' "$work/Logs/one-log.csv" || true)
echo "rows in 60 s at Interval=1 with one hanging machine: $rows (goal >= 58)"

# 2. Eight machines that never answer.
{ profile_head; axis Threads '\Objects\Threads'; } > "$work/eight.crvn"
for i in 1 2 3 4 5 6 7 8; do
  hang_server "$work/h$i" 0
  port=$(wait_port "$work/h$i")
  axis "M$i" "\\\\127.0.0.1:$port\\Memory\\% Committed Bytes In Use" >> "$work/eight.crvn"
done
start=$(date +%s.%N)
CORVANE_DEFAULT_REGISTRY="$work/registry.ini" "$service" -run "$work/eight.crvn" > "$work/out8.txt" 2>&1 &
spid=$!
log="$work/Logs/eight-log.csv"
while ! grep -q '^[0-9]' "$log" 2>/dev/null; do sleep 0.05; done
first=$(date +%s.%N)
kill -INT "$spid"; wait "$spid" || true
echo "seconds to the first row with eight hanging machines: $(python3 -c "print(round($first - $start, 2))") (goal <= 5)"
