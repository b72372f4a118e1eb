#!/usr/bin/env bash
# Refreshes the seed corpora that come from the simulator: its replies (daemon_reply), the
# requests that produced them (sim_request), and the files it writes (smc-keys.txt, the study
# log, the durable update status).
# Usage: fuzz/seed-from-sim.sh PATH/TO/vantrel-sim
set -euo pipefail
sim="$1"
here="$(cd "$(dirname "$0")" && pwd)"
corpus="$here/corpus"
root="$(mktemp -d)"
pid=""
# shellcheck disable=SC2317 # called by the EXIT trap
cleanup() {
    if [[ -n "$pid" ]]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$root"
}
trap cleanup EXIT
export VANTREL_ROOT="$root"
"$sim" --background --speed 600 --study-interval 30 &
pid=$!
for _ in $(seq 100); do [[ -S "$root/tmp/vantrel_daemon.sock" ]] && break; sleep 0.1; done

mkdir -p "$corpus/daemon_reply" "$corpus/sim_request"
n=0
send() {
    n=$((n + 1))
    local name
    name="$(printf '%02d-%s' "$n" "$(sed -E 's/.*"cmd": ?"([a-z_]+)".*/\1/' <<<"$1")")"
    printf '%s' "$1" >"$corpus/sim_request/$name.json"
    "$sim" ctl send "$1" >"$corpus/daemon_reply/$name.json" || true
}
while IFS= read -r request; do
    [[ -n "$request" ]] && send "$request"
done <<'REQUESTS'
{"cmd":"get_status"}
{"cmd":"get_hardware_profile"}
{"cmd":"get_power_policy_state"}
{"cmd":"get_system_snapshot"}
{"cmd":"get_user_settings_state"}
{"cmd":"reload_user_settings"}
{"cmd":"get_power_source_info"}
{"cmd":"get_runtime_ownership"}
{"cmd":"get_update_installation_state"}
{"cmd":"get_diagnostic_events","limit":5}
{"cmd":"get_evidence_events","limit":5,"policy_prefix":"battery."}
{"cmd":"set_charge_limit","limit":70}
{"cmd":"set_charge_limit","limit":"60"}
{"cmd":"set_fan_mode","mode":"manual"}
{"cmd":"set_fan_rpm","index":0,"rpm":3000}
{"cmd":"set_fan_mode","mode":"auto"}
{"cmd":"set_system_sleep_disabled","enabled":true}
{"cmd":"set_survival_throttling","enabled":true,"threshold":95,"cooldown_target":85}
{"cmd":"request_one_time_full_charge","restore_limit":80}
{"cmd":"install_update_package","user_confirmed":true}
{"cmd":"sim_step","seconds":120}
{"cmd":"get_update_installation_state"}
{"cmd":"get_status","cmd":"reset_to_vanilla"}
{"cmd":"sim_state"}
{"cmd":"reset_to_vanilla"}
{"cmd":"set_charge_limit","limit":75}
{"cmd":"reload_user_settings"}
{"cmd":"get_diagnostic_package_preview","include_process_names":true}
{"cmd":"export_diagnostic_bundle","user_confirmed":true,"user_review_required":true,"upload_mode":"manual_user_send","support_case_id":"case-7"}
{"cmd":"export_diagnostic_bundle","user_confirmed":false}
REQUESTS
# A request that writes a diagnostic bundle would leave one behind on every fuzzing run.
rm -f "$corpus/sim_request/29-export_diagnostic_bundle.json"
# The canonical settings harness reads the reload reply that carries a stored copy.
mkdir -p "$corpus/canonical_settings"
cp "$corpus/daemon_reply/27-reload_user_settings.json" "$corpus/canonical_settings/sim-loaded.json"
printf '{"cmd":"get_status", "x": "unterminated' >"$corpus/sim_request/truncated.json"
"$sim" ctl send '{"cmd":"sim_step","seconds":3600}' >/dev/null || true

mkdir -p "$corpus/smc_key_file" "$corpus/study_log" "$corpus/energy_log" "$corpus/durable_update_status"
[[ -f "$root/tmp/vantrel-sim/smc-keys.txt" ]] && cp "$root/tmp/vantrel-sim/smc-keys.txt" "$corpus/smc_key_file/sim-smc-keys.txt"
study="$(find "$root" -name samples.jsonl | head -n 1)"
if [[ -n "$study" ]]; then
    head -c 16384 "$study" >"$corpus/study_log/sim-samples.jsonl"
    head -c 16384 "$study" >"$corpus/energy_log/sim-samples.jsonl"
fi
status="$(find "$root" -path '*UpdateStatus/status.json' | head -n 1)"
[[ -n "$status" ]] && cp "$status" "$corpus/durable_update_status/sim-status.json"
exit 0
