#pragma once
// How the simulated Mac looks to the operating-system readers of the application: the first
// power source's description, the "AppleSmartBattery" registry properties, `pmset -g batt`
// text, and the whole hardware.json file the sim platform backend reads.
#include <optional>

#include <QJsonObject>
#include <QString>

#include "sim/model/SimulatedMac.h"

namespace vantrel::sim {

// Nothing on a Mac without a battery (it reports no power source).
std::optional<QJsonObject> powerSourceDescription(const SimulatedMac& mac);
std::optional<QJsonObject> batteryRegistry(const SimulatedMac& mac);
QString pmsetBatteryText(const SimulatedMac& mac);
QJsonObject hardwareDescription(const SimulatedMac& mac);

} // namespace vantrel::sim
