#pragma once
// Turns power-policy readbacks into one alert per heat-protection episode and per screen,
// and into deduplicated warnings when the daemon warns without an active episode.
// Main thread only.
#include <functional>
#include <map>
#include <optional>

#include <QJsonObject>
#include <QString>

#include "power/HeatProtectionAlertPayload.h"
#include "power/HeatProtectionAlertSurface.h"

namespace vantrel {

class HeatProtectionAlertCenter {
public:
    // storedMaxBatteryTemp is the policy's threshold, used when the readback names none.
    explicit HeatProtectionAlertCenter(std::function<double()> storedMaxBatteryTemp);

    // Called each time a screen applies a fresh readback; an alert to show now, or nothing.
    std::optional<HeatProtectionAlertPayload> alert(HeatProtectionAlertSurface surface, const QJsonObject& power);

private:
    std::optional<HeatProtectionAlertPayload> activeAlert(HeatProtectionAlertSurface surface, const QJsonObject& power);
    std::optional<HeatProtectionAlertPayload> warningAlert(HeatProtectionAlertSurface surface,
                                                           const QJsonObject& power);

    std::function<double()> storedMaxBatteryTemp_;
    bool observedActive_ = false;
    int activeCycleToken_ = 0;
    std::map<HeatProtectionAlertSurface, int> shownActiveSurfaces_;
    std::map<HeatProtectionAlertSurface, QString> shownWarningSurfaces_;
};

} // namespace vantrel
