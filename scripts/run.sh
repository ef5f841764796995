#!/usr/bin/env bash
# Builds Corvane (installing what is missing) and runs its main job on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

# Until the service exists, the main job samples the standard counters with corvquery.
exec build/release/tools/corvquery/corvquery --samples 5 --interval 2 \
  '\Processor(_Total)\% Processor Time' '\Objects\Processes' '\Objects\Threads' \
  '\Memory\% Committed Bytes In Use' '\Paging File(_Total)\% Usage' \
  '\LogicalDisk(_Total)\% Free Space' '\PhysicalDisk(_Total)\% Disk Time' "$@"
