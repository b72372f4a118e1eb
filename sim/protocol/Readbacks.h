#pragma once
// The read-back objects of the daemon protocol, built from the running simulation. The
// diagnostic bundle and the sim's own state dump reuse them.
#include <QJsonObject>

#include "sim/protocol/SimContext.h"

namespace vantrel::sim {

// "get_status": "cpu_temp", "fan0"/"fan1" for the fans the Mac has, "battery_percent" with a battery.
QJsonObject statusReadback(const SimContext& ctx);
// "get_power_policy_state": the battery policy, its live state and the other policies in force.
QJsonObject powerPolicyReadback(const SimContext& ctx);
// "get_hardware_profile".
QJsonObject hardwareProfileReadback(const SimContext& ctx);
// "get_system_snapshot" (reads /proc, so not const).
QJsonObject systemSnapshotReadback(SimContext& ctx);

// Temperatures and figures in replies carry two decimals.
double rounded(double value);

} // namespace vantrel::sim
