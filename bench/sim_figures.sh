#!/usr/bin/env bash
# The vantrel-sim figures: the smc tool's start next to a static no-op (median of 1,000 runs),
# the 20-key refresh as the application runs it next to the same command line with the no-op
# (wall and CPU), and "get_status" requests per second from 1 and 4 concurrent clients.
# Usage: bench/sim_figures.sh [BUILD_DIR] (default build/); build the targets first:
#   cmake --build BUILD_DIR --target vantrel-sim vantrel-smc sim_noop bench_sim_spawn bench_sim
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
bin="$build/bin"
root="$(mktemp -d /tmp/vantrel-sim-figures.XXXXXX)"
export VANTREL_ROOT="$root" VANTREL_SIM_STATE_DIR="$root/tmp/vantrel-sim"
"$bin/vantrel-sim" --background --manual-clock --study-interval 0 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$root"' EXIT
for _ in $(seq 100); do [ -S "$root/tmp/vantrel_daemon.sock" ] && break; sleep 0.05; done
"$bin/vantrel-sim" ctl load cpu_percent=40 >/dev/null
"$bin/vantrel-sim" ctl step seconds=60 >/dev/null

echo "== smc tool start-up and the 20-key refresh (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
"$bin/bench_sim_spawn" "$bin/vantrel-smc" "$bin/sim_noop" 1000 200
echo
echo "== vantrel-sim server"
"$bin/bench_sim" --benchmark_counters_tabular=true
