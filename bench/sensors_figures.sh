#!/usr/bin/env bash
# The sensors figures: the parse of a 20-line smc output, one refreshAll through the simulator's
# smc tool reading a running vantrel-sim's key store (wall, own and child CPU, median of 100),
# the memory reading, one CPU sample, and one process/thread count next to `ps -e`.
# Usage: bench/sensors_figures.sh [BUILD_DIR] (default build/); build the targets first:
#   cmake --build BUILD_DIR --target vantrel-sim vantrel-smc bench_sensors
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
bin="$build/bin"
export VANTREL_BUILD_DIR="$build"
source "$here/bench/sim_running.sh"

echo "== sensors (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
"$bin/bench_sensors" --benchmark_counters_tabular=true
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
