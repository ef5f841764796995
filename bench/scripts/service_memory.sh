#!/bin/sh
# The service's resident memory (VmRSS) in a console run on the default counters, without and
# with the metrics listener, the latter after 50 scrapes (goal: at most 7 MB with the listener).
# Usage: bench/scripts/service_memory.sh BUILD_DIR   (needs corvservice built there; curl)
set -eu
build=${1:?usage: $0 BUILD_DIR}
work=$(mktemp -d)
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT INT TERM
cp "$build/service/corvservice" "$work/"
export CORVANE_DEFAULT_REGISTRY="$work/registry.ini" XDG_STATE_HOME="$work/state"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

measure() {  # measure LABEL ARGS...
  label=$1; shift
  (cd "$work" && exec ./corvservice -run "$@" >/dev/null 2>&1) &
  pid=$!
  sleep 3
  if [ "$label" = on ]; then
    i=0
    while [ $i -lt 50 ]; do curl -s -o /dev/null "http://127.0.0.1:$port/metrics"; i=$((i + 1)); done
    sleep 1
  fi
  printf '%-28s %s\n' "listener $label:" "$(grep VmRSS /proc/$pid/status | tr -s ' ')"
  kill -INT "$pid"; wait "$pid" || true; pid=""
}
measure off
measure on --metrics "127.0.0.1:$port"
