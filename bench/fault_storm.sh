#!/usr/bin/env bash
# Fault storm: vantrel-sim and the application (main window shown, offscreen) in a scratch
# VANTREL_ROOT; for DURATION seconds the simulator puts a random fault on a share of every
# daemon command's replies (delays past each read time-out, closes, garbage, non-object roots,
# split, truncated and padded replies up to 10 MiB, wrong statuses, missing and mistyped keys).
# Measures: crashes (the application must still run), the main thread's event-loop lateness
# (VANTREL_EVENT_LOOP_PROBE), resident memory (VmRSS) after a warm-up and at the end, and the
# recovery once the faults stop: a heartbeat received by the daemon and new readings published.
# Usage: bench/fault_storm.sh DURATION [BUILD_DIR]
# Environment: STORM_SEED (1), STORM_RATE (0.5), STORM_WARMUP (seconds before the RSS baseline
# is taken, 60), and the bounds that make the run fail: STORM_MAX_STALL_MS (10000, the
# longest synchronous wait the design allows on the main thread: the 10 s runtime-ownership
# read at start-up), STORM_MAX_RSS_GROWTH_KB (5120), STORM_MAX_RECOVERY_S (10), and
# STORM_QUIT_WAIT_S (10), how long the application may take to quit on SIGTERM.
# Prints one "name: value" line per figure and exits 1 when a bound is broken.
set -euo pipefail
duration="${1:?usage: fault_storm.sh DURATION [BUILD_DIR]}"
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-${VANTREL_BUILD_DIR:-$here/build}}"
bin="$build/bin"
seed="${STORM_SEED:-1}"
rate="${STORM_RATE:-0.5}"
warmup="${STORM_WARMUP:-60}"
max_stall_ms="${STORM_MAX_STALL_MS:-10000}"
max_growth_kb="${STORM_MAX_RSS_GROWTH_KB:-5120}"
max_recovery_s="${STORM_MAX_RECOVERY_S:-10}"
quit_wait_s="${STORM_QUIT_WAIT_S:-10}"

root="$(mktemp -d /tmp/vantrel-storm.XXXXXX)"
export VANTREL_ROOT="$root" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8
export VANTREL_EVENT_LOOP_PROBE="$root/event-loop.json"
unset DBUS_SESSION_BUS_ADDRESS VANTREL_DAEMON_SOCKET VANTREL_SIM_STATE_DIR
sim="" app=""
# shellcheck disable=SC2317 # called by the trap
cleanup() {
  if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if [ -n "${STORM_KEEP:-}" ]; then echo "kept: $root"; else rm -rf "$root"; fi
}
trap cleanup EXIT

ctl() { "$bin/vantrel-sim" ctl "$@"; }
# A number or boolean of a JSON text (file or standard input) by its key name; the keys read
# here are unique in their documents.
json_value() { # key [file]
  tr -d ' \n' <"${2:-/dev/stdin}" | grep -o "\"$1\":[-0-9.eE+a-z]*" | head -1 | cut -d: -f2
}
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$app/status"; }
# A process that ended but was not waited for still takes signals: look at its state instead.
# Read once: the process may end between a test for the file and its reading.
alive() { local state; state=$(awk '{ print $3 }' "/proc/$app/stat" 2>/dev/null) && [ -n "$state" ] && [ "$state" != Z ]; }

"$bin/vantrel-sim" --background --speed 1 --study-interval 0 >"$root/sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do [ -S "$root/tmp/vantrel_daemon.sock" ] && break; sleep 0.05; done
ctl state >/dev/null

# A set-up that passes the onboarding gate, so the dashboard with its read-backs is on screen.
mkdir -p "$root/usr/local/vantrel" "$root/home/.config/Vantrel"
cp "$bin/vantrel-smc" "$root/usr/local/vantrel/smc"
cp "$bin/vantrel-battery" "$root/usr/local/vantrel/battery"
"$root/usr/local/vantrel/battery" visudo >/dev/null
printf '[General]\nvantrel.onboarding.languageCompleted.v1=true\n' >"$root/home/.config/Vantrel/Vantrel.conf"
ctl platform action=set_accessibility trusted=true automation_allowed=true >/dev/null

"$bin/vantrel" --platform sim >"$root/app.log" 2>&1 &
app=$!
for _ in $(seq 300); do [ -s "$VANTREL_EVENT_LOOP_PROBE" ] && break; sleep 0.1; done
[ -s "$VANTREL_EVENT_LOOP_PROBE" ] || { echo "the application did not start"; tail -20 "$root/app.log"; exit 1; }

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "storm: seed $seed, rate $rate, $duration s"
ctl storm seed="$seed" rate="$rate" >/dev/null
start=$(date +%s)
rss_start="" rss_peak=0 rss_end=0
samples="$root/rss.txt"
while [ $(( $(date +%s) - start )) -lt "$duration" ]; do
  sleep 5
  alive || break
  rss=$(rss_kb)
  echo "$(( $(date +%s) - start )) $rss" >>"$samples"
  if [ -z "$rss_start" ] && [ $(( $(date +%s) - start )) -ge "$warmup" ]; then rss_start=$rss; fi
  [ "$rss" -gt "$rss_peak" ] && rss_peak=$rss
  rss_end=$rss
done
if [ ! -r "/proc/$sim/stat" ] || [ "$(awk '{ print $3 }' "/proc/$sim/stat")" = Z ]; then
  echo "the simulator ended during the storm"; tail -20 "$root/sim.log"; exit 1
fi
ctl storm active=false >"$root/storm.json"
stopped=$(date +%s.%N)
fail=0
if ! alive; then
  echo "crashes: 1 (the application ended during the storm)"
  tail -30 "$root/app.log"
  exit 1
fi
[ -n "$rss_start" ] || rss_start=$(head -1 "$samples" | cut -d' ' -f2)

# Recovery: a heartbeat received after the faults stopped, and new readings published.
heartbeats_at_stop=$(ctl state | json_value app_heartbeats)
readings_at_stop=$(json_value readings_published "$VANTREL_EVENT_LOOP_PROBE")
heartbeat_s="" readings_s=""
while :; do
  now=$(date +%s.%N)
  elapsed=$(awk -v a="$stopped" -v b="$now" 'BEGIN { printf "%.1f", b - a }')
  state=$(ctl state)
  if [ -z "$heartbeat_s" ] && [ "$(echo "$state" | json_value app_heartbeats)" -gt "$heartbeats_at_stop" ] \
     && [ "$(echo "$state" | json_value app_lease_active)" = true ]; then heartbeat_s=$elapsed; fi
  if [ -z "$readings_s" ] && [ "$(json_value readings_published "$VANTREL_EVENT_LOOP_PROBE")" -gt "$readings_at_stop" ]; then
    readings_s=$elapsed
  fi
  [ -n "$heartbeat_s" ] && [ -n "$readings_s" ] && break
  awk -v e="$elapsed" -v m="$max_recovery_s" 'BEGIN { exit !(e > m + 20) }' && break
  sleep 0.2
done

kill -TERM "$app"
quit_from=$(date +%s.%N)
for _ in $(seq $((quit_wait_s * 10))); do alive || break; sleep 0.1; done
quit_s=$(awk -v a="$quit_from" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
if alive; then echo "the application did not quit on SIGTERM"; fail=1; fi
wait "$app" 2>/dev/null && app_status=0 || app_status=$?
app=""

probe="$VANTREL_EVENT_LOOP_PROBE"
max_ms=$(json_value max_late_ms "$probe")
echo "crashes: $([ "$app_status" -eq 0 ] && echo 0 || echo "1 (exit status $app_status)")"
echo "requests faulted: $(json_value faulted "$root/storm.json") of $(json_value requests "$root/storm.json")"
echo "faults by kind: $(tr -d ' \n' <"$root/storm.json" | grep -o '"by_kind":{[^}]*}' | cut -d: -f2-)"
echo "event loop late max: $max_ms ms (at $(json_value max_at_s "$probe") s of $(json_value run_s "$probe") s)"
echo "event loop late p99: $(json_value p99_late_ms "$probe") ms (p50 $(json_value p50_late_ms "$probe") ms, $(json_value samples "$probe") samples)"
echo "rss start (after ${warmup} s): $rss_start kB"
echo "rss end: $rss_end kB"
echo "rss peak: $rss_peak kB"
echo "rss growth: $((rss_end - rss_start)) kB"
echo "recovery heartbeat leased: ${heartbeat_s:-never} s"
echo "recovery readings flowing: ${readings_s:-never} s"
echo "quit on SIGTERM: $quit_s s"
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "daemon client error lines: $(grep -c "DaemonClient" "$root/app.log" || true)"

[ "$app_status" -eq 0 ] || fail=1
awk -v m="$max_ms" -v b="$max_stall_ms" 'BEGIN { exit !(m < b) }' || { echo "FAIL: main thread stalled $max_ms ms"; fail=1; }
[ $((rss_end - rss_start)) -le "$max_growth_kb" ] || { echo "FAIL: resident memory grew by $((rss_end - rss_start)) kB"; fail=1; }
for r in "$heartbeat_s" "$readings_s"; do
  if [ -z "$r" ] || ! awk -v r="$r" -v m="$max_recovery_s" 'BEGIN { exit !(r <= m) }'; then
    echo "FAIL: no recovery within $max_recovery_s s"; fail=1; break
  fi
done
exit $fail
