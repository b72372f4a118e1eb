#pragma once
// What the power page's summary shows for the readback values, in the user's language.
#include <optional>

#include <QString>

#include "ui/style/DSToken.h"

namespace vantrel {

// "has_battery" / "no_battery"; empty (no readback yet) gives "-".
QString batteryGateText(const QString& gate, const QString& lang);
// The daemon's "power_only_state" as a phrase; "-" before the first readback.
QString powerStateText(const QString& state, const QString& lang);
// "off", "active", "waiting" (with the countdown) or "idle".
QString safetyDrainStateText(const QString& state, std::optional<int> countdown, const QString& lang);
DSToken safetyDrainStateToken(const QString& state);
// The drain target label: "Auto" in the user's language, a percent as it is.
QString safetyDrainTargetText(const QString& label, const QString& lang);

} // namespace vantrel
