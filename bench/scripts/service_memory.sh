#!/bin/sh
# The service's resident memory (Rss) and its private part (Private_Clean + Private_Dirty, from
# /proc/PID/smaps_rollup) in a console run on the default counters: without the metrics
# listener, with it over plain HTTP, and with it over HTTPS with basic authentication (a
# certificate made for the run), the latter two after 50 scrapes each on fresh connections
# (goal: at most 7 MB resident with the listener).
# Usage: bench/scripts/service_memory.sh BUILD_DIR   (needs corvservice built there; curl, openssl)
set -eu
build=${1:?usage: $0 BUILD_DIR}
work=$(mktemp -d)
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT INT TERM
cp "$build/service/corvservice" "$work/"
export CORVANE_DEFAULT_REGISTRY="$work/registry.ini" XDG_STATE_HOME="$work/state"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')

# The HTTPS listener's web configuration: a self-signed key pair and one user.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
  -subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 \
  -keyout "$work/bench.key" -out "$work/bench.crt" 2>/dev/null
chmod 600 "$work/bench.key"
hash=$(python3 -c 'import crypt; print(crypt.crypt("scrape password", crypt.mksalt(crypt.METHOD_BLOWFISH, rounds=1024)))' 2>/dev/null)
printf 'tls_server_config:\n  cert_file: %s\n  key_file: %s\nbasic_auth_users:\n  bench: %s\n' \
  "$work/bench.crt" "$work/bench.key" "'$hash'" > "$work/web.yml"

kb() { awk -v key="$1" '$1 == key":" { print $2 }' "/proc/$pid/smaps_rollup"; }
measure() {  # measure LABEL URL ARGS...
  label=$1 url=$2; shift 2
  (cd "$work" && exec ./corvservice -run "$@" >/dev/null 2>&1) &
  pid=$!
  sleep 3
  if [ -n "$url" ]; then
    i=0
    while [ $i -lt 50 ]; do
      curl -sf -o /dev/null --cacert "$work/bench.crt" -u 'bench:scrape password' "$url" ||
        { echo "a scrape of $url failed" >&2; exit 1; }
      i=$((i + 1))
    done
    sleep 1
  fi
  rss=$(kb Rss) private=$(( $(kb Private_Clean) + $(kb Private_Dirty) ))
  printf '%-24s resident %6s kB   private %6s kB\n' "$label:" "$rss" "$private"
  kill -INT "$pid"; wait "$pid" || true; pid=""
}
measure "no listener" ""
measure "listener, HTTP" "http://127.0.0.1:$port/metrics" --metrics "127.0.0.1:$port"
measure "listener, HTTPS" "https://127.0.0.1:$port/metrics" --metrics "127.0.0.1:$port" \
  --web-config "$work/web.yml"
