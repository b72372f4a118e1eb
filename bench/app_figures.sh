#!/usr/bin/env bash
# The vantrel program's start-up and steady-state figures against vantrel-sim, offscreen.
# Start-up: the program's own report (VANTREL_STARTUP_TIMING) of when the main window was
# first shown and when the central state first published readings, median of 5 starts.
# Steady state: CPU (own + waited-for children, i.e. the smc runs of every tick) and resident
# memory over 60 s of monitoring, once with the main window shown and once with it hidden
# (--background-status-only).
# Usage: bench/app_figures.sh [BUILD_DIR] (default build/); build vantrel and vantrel-sim first.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
bin="$build/bin"
root="$(mktemp -d /tmp/vantrel-app-figures.XXXXXX)"
export VANTREL_ROOT="$root" QT_QPA_PLATFORM=offscreen VANTREL_STARTUP_TIMING=1
unset DBUS_SESSION_BUS_ADDRESS
"$bin/vantrel-sim" --background --study-interval 0 >"$root/sim.log" 2>&1 &
sim=$!
app=""
trap 'kill $app "$sim" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$root"' EXIT
for _ in $(seq 100); do [ -S "$root/tmp/vantrel_daemon.sock" ] && break; sleep 0.05; done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
wait_for() { # file pattern
  for _ in $(seq 3000); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.01; done
  echo "timed out waiting for '$2' in $1" >&2; return 1
}
reported_ms() { sed -n "s/.*$2 after \([0-9]*\) ms.*/\1/p" "$1" | head -1; }

echo "== start-up (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
: >"$root/shown" && : >"$root/readings"
for run in 1 2 3 4 5; do
  log="$root/run$run.log"
  "$bin/vantrel" --platform sim --headless-demo "$root/shots" --demo-seconds 3 >"$log" 2>&1 &
  app=$!
  wait_for "$log" 'first readings published'
  wait_for "$log" 'main window shown'
  wait "$app"; app=""
  reported_ms "$log" 'main window shown' >>"$root/shown"
  reported_ms "$log" 'first readings published' >>"$root/readings"
done
echo "main window shown:           $(median <"$root/shown") ms after process start (median of 5; runs: $(paste -sd' ' "$root/shown"))"
echo "first readings published:    $(median <"$root/readings") ms after process start (median of 5; runs: $(paste -sd' ' "$root/readings"))"

steady() { # label, extra arguments...
  local label="$1"; shift
  "$bin/vantrel" --platform sim "$@" >"$root/steady.log" 2>&1 &
  app=$!
  sleep 5
  local tick before after rss rss_sum=0 rss_max=0
  tick=$(getconf CLK_TCK)
  cpu() { awk '{ print $14 + $15 + $16 + $17 }' "/proc/$app/stat"; }
  own() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
  local own_before own_after
  own_before=$(own)
  before=$(cpu)
  for _ in $(seq 60); do
    sleep 1
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")
    rss_sum=$((rss_sum + rss)); [ "$rss" -gt "$rss_max" ] && rss_max=$rss
  done
  after=$(cpu)
  own_after=$(own)
  kill "$app"; wait "$app" 2>/dev/null || true; app=""
  echo "== 60 s of monitoring, $label (load $(cut -d' ' -f1-3 /proc/loadavg))"
  awk -v d=$((after - before)) -v o=$((own_after - own_before)) -v t="$tick" \
    'BEGIN { printf "CPU (own + smc children):    %.2f %% of one core (own %.2f %%, children %.2f %%)\n", 100 * d / t / 60, 100 * o / t / 60, 100 * (d - o) / t / 60 }'
  echo "resident memory:             mean $((rss_sum / 60 / 1024)) MiB, peak $((rss_max / 1024)) MiB"
}
steady "main window shown" --headless-demo "$root/shots" --demo-seconds 120
steady "main window hidden" --background-status-only
