#!/usr/bin/env bash
# The vantrel-sim figures: the smc tool's start next to a static no-op (median of 1,000 runs),
# the 20-key refresh as the application runs it next to the same command line with the no-op
# (wall and CPU), and "get_status" requests per second from 1 and 4 concurrent clients, against
# the running program and against the server inside the benchmark process.
# Usage: bench/sim_figures.sh [BUILD_DIR] (default build/); build the targets first:
#   cmake --build BUILD_DIR --target vantrel-sim vantrel-smc sim_noop bench_sim_spawn bench_sim
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
bin="$build/bin"
source "$here/bench/sim_running.sh"

echo "== smc tool start-up and the 20-key refresh (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
"$bin/bench_sim_spawn" "$bin/vantrel-smc" "$bin/sim_noop" 1000 200
echo
echo "== the running vantrel-sim program (clients in the benchmark process)"
VANTREL_SIM_BENCH_SOCKET="$sim_socket" "$bin/bench_sim" --benchmark_filter='GetStatus|GetPowerPolicyState' \
  --benchmark_counters_tabular=true
echo
echo "== the server in the benchmark process, and one simulation step (load $(cut -d' ' -f1-3 /proc/loadavg))"
"$bin/bench_sim" --benchmark_counters_tabular=true
