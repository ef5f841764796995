#!/usr/bin/env bash
# Measures the accessibility cost per sample with a real assistive technology listening: the
# benchmark on X11 (Xvfb) with Qt's AT-SPI bridge, on a private session and accessibility bus
# where a pyatspi client listens for value changes, as a screen reader does.
#   bench/chart_announce_measure.sh BUILD_DIR [BENCHMARK_OPTIONS...]
# Needs xvfb, dbus-daemon, at-spi2-core and python3-pyatspi (scripts/deps.sh test).
set -euo pipefail
build=${1:?usage: chart_announce_measure.sh BUILD_DIR}
bench=$(realpath "$build/bench/chart_announce_bench")

if [ "${1:-}" != --inner ] && [ -z "${CORVANE_MEASURE_INNER:-}" ]; then
  CORVANE_MEASURE_INNER=1 exec dbus-run-session -- "$0" "$@"
fi

Xvfb :97 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null &
xvfb=$!
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null &
bus=$!
export DISPLAY=:97
sleep 1
/usr/bin/python3 - <<'PY' &
import pyatspi
count = [0]
def heard(event):
    count[0] += 1
pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-value")
pyatspi.Registry.start()
PY
listener=$!
trap 'kill $listener $bus $xvfb 2>/dev/null || true' EXIT
sleep 1
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$bench" --benchmark_min_time=1 "${@:2}"
