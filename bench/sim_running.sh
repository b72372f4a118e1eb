# Sourced by the figure scripts after they set $bin: starts vantrel-sim under a temporary
# VANTREL_ROOT with a manual clock, warms it (40 % CPU load for a simulated minute), exports
# VANTREL_ROOT and VANTREL_SIM_STATE_DIR, sets $sim_socket, and stops it when the script exits.
root="$(mktemp -d /tmp/vantrel-figures.XXXXXX)"
export VANTREL_ROOT="$root" VANTREL_SIM_STATE_DIR="$root/tmp/vantrel-sim"
sim_socket="$root/tmp/vantrel_daemon.sock"
"$bin/vantrel-sim" --background --manual-clock --study-interval 0 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$root"' EXIT
for _ in $(seq 100); do [ -S "$sim_socket" ] && break; sleep 0.05; done
"$bin/vantrel-sim" ctl load cpu_percent=40 >/dev/null
"$bin/vantrel-sim" ctl step seconds=60 >/dev/null
