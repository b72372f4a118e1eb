#!/usr/bin/env bash
# Monitoring cost side by side against vantrel-sim, window hidden (--background-status-only) and
# shown (the dashboard, painted offscreen):
# CPU of the application and its waited-for children (the sensor line of every tick) as % of one
# core, and resident memory, for the smc tool line, the in-process sensor path
# (inProcessSensorReading) and the floor of the tool line (a static no-op in place of the tool).
# Usage: bench/monitoring_cpu.sh [BUILD_DIR] [SECONDS] (default build/, 60);
# build vantrel, vantrel-smc, vantrel-sim and sim_noop first.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
seconds="${2:-60}"
bin="$build/bin"
root="$(mktemp -d /tmp/vantrel-monitoring.XXXXXX)"
export VANTREL_ROOT="$root" QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS VANTREL_SIM_STATE_DIR
"$bin/vantrel-sim" --background --study-interval 0 >"$root/sim.log" 2>&1 &
sim=$!
app=""
trap 'kill $app "$sim" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$root"' EXIT
for _ in $(seq 100); do [ -S "$root/tmp/vantrel_daemon.sock" ] && break; sleep 0.05; done

prefs="$root/home/.config/Vantrel/Vantrel.conf"
tool="$root/usr/local/vantrel/smc"

measure() { # label [shown]
  local label="$1" log="$root/app.log" hidden=(--background-status-only)
  [ "${2:-}" = shown ] && hidden=()
  "$bin/vantrel" --platform sim "${hidden[@]}" >"$log" 2>&1 &
  app=$!
  sleep 5
  local tick before after own_before own_after rss rss_sum=0 rss_max=0
  tick=$(getconf CLK_TCK)
  cpu() { awk '{ print $14 + $15 + $16 + $17 }' "/proc/$app/stat"; }
  own() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }
  own_before=$(own); before=$(cpu)
  for _ in $(seq "$seconds"); do
    sleep 1
    rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$app/status")
    rss_sum=$((rss_sum + rss)); [ "$rss" -gt "$rss_max" ] && rss_max=$rss
  done
  after=$(cpu); own_after=$(own)
  kill "$app"; wait "$app" 2>/dev/null || true; app=""
  awk -v l="$label" -v d=$((after - before)) -v o=$((own_after - own_before)) -v t="$tick" -v s="$seconds" \
    -v m=$((rss_sum / seconds / 1024)) -v p=$((rss_max / 1024)) -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "%-22s %6.2f %% (own %5.2f %%, children %5.2f %%)   RSS mean %3d MiB, peak %3d MiB   load %s\n",
             l, 100 * d / t / s, 100 * o / t / s, 100 * (d - o) / t / s, m, p, load }'
  if grep -q "in-process sensor reading failed" "$log"; then echo "  (the in-process path fell back to the tool)"; fi
}

echo "== ${seconds} s of monitoring, window hidden (machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg))"
mkdir -p "$(dirname "$prefs")" "$(dirname "$tool")"
printf '[General]\ninProcessSensorReading=false\n' >"$prefs"
measure "smc tool line"
printf '[General]\ninProcessSensorReading=true\n' >"$prefs"
measure "in-process"
printf '[General]\ninProcessSensorReading=false\n' >"$prefs"
cp "$bin/sim_noop" "$tool"
measure "floor (bash + no-op)"

# Shown: the main window on the dashboard, past onboarding (language chosen, helper tools in place,
# accessibility allowed in the simulated Mac).
echo "== ${seconds} s of monitoring, dashboard shown"
cp "$bin/vantrel-smc" "$tool"
cp "$bin/vantrel-battery" "$(dirname "$tool")/battery"
mkdir -p "$root/private/etc/sudoers.d"
touch "$root/private/etc/sudoers.d/battery"
"$bin/vantrel-sim" ctl platform action=set_accessibility trusted=true automation_allowed=true >/dev/null
printf '[General]\nvantrel.onboarding.languageCompleted.v1=true\ninProcessSensorReading=false\n' >"$prefs"
measure "smc tool line, shown" shown
printf '[General]\nvantrel.onboarding.languageCompleted.v1=true\ninProcessSensorReading=true\n' >"$prefs"
measure "in-process, shown" shown
