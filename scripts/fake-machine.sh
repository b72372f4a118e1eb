#!/usr/bin/env bash
# Writes a fake ThinkPad-like machine under ROOT (what VANTREL_ROOT points at): DMI, BAT0 with
# charge thresholds and charge_behaviour, AC online, coretemp, an NVMe drive and the thinkpad
# fan chip with pwm1. vantrel-node and the application both read it there.
#   scripts/fake-machine.sh ROOT
set -euo pipefail
root="${1:?usage: fake-machine.sh ROOT}"
put() { mkdir -p "$(dirname "$root/$1")"; printf '%s\n' "$2" >"$root/$1"; }

dmi=sys/class/dmi/id
put $dmi/sys_vendor LENOVO
put $dmi/product_name 21CB
put $dmi/product_version "ThinkPad T14 Gen 3"
put $dmi/chassis_type 10

ps=sys/class/power_supply
put $ps/AC/type Mains
put $ps/AC/online 1
bat=$ps/BAT0
put $bat/type Battery
put $bat/present 1
put $bat/status "Not charging"
put $bat/capacity 79
put $bat/cycle_count 312
put $bat/energy_full_design 57000000
put $bat/energy_full 45120000
put $bat/energy_now 35640000
put $bat/power_now 0
put $bat/voltage_min_design 11520000
put $bat/voltage_now 12730000
put $bat/charge_control_start_threshold 75
put $bat/charge_control_end_threshold 80
put $bat/charge_behaviour "[auto] inhibit-charge force-discharge"

hw=sys/class/hwmon
put $hw/hwmon1/name nvme
put $hw/hwmon1/temp1_label Composite
put $hw/hwmon1/temp1_input 38850
put $hw/hwmon3/name coretemp
put $hw/hwmon3/temp1_label "Package id 0"
put $hw/hwmon3/temp1_input 52000
put $hw/hwmon3/temp2_label "Core 0"
put $hw/hwmon3/temp2_input 50000
put $hw/hwmon3/temp3_label "Core 1"
put $hw/hwmon3/temp3_input 54000
put $hw/hwmon5/name thinkpad
put $hw/hwmon5/fan1_input 2890
put $hw/hwmon5/fan2_input 2740
put $hw/hwmon5/pwm1 255
put $hw/hwmon5/pwm1_enable 2
put $hw/hwmon5/temp1_input 51000
