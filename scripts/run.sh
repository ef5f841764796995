#!/usr/bin/env bash
# Builds Corvane (installing what is missing) and runs its main job on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

# With a display (X11 or Wayland) the main job is the desktop program on its last profile (or
# the one given as an argument). Without one it is the service in a console: it runs the profile
# named in the settings store (or the one given), falls back to the default counters, prints
# where its activity log goes, and stops on Ctrl+C.
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec build/release/desktop/Corvane "$@"
fi
exec build/release/service/corvservice -run "$@"
