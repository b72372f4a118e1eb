#pragma once
// The values the dashboard shows. The seed of a refresh is the same record as it stood
// before; every value the refresh cannot read is taken from it. "-" marks a text with no
// value, which is what the local fallbacks look for.
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "base/StatusTone.h"
#include "sensors/LocalActivityFields.h"
#include "ui/dashboard/DashboardEvent.h"
#include "ui/style/DSToken.h"

namespace vantrel {

struct DashboardRefreshResult {
    QString daemonStatus = QStringLiteral("error");
    QString watchdogStatus = QStringLiteral("unknown");
    // A reply to "get_status" arrived in the last refresh, whatever its status.
    bool daemonReachable = false;
    QString currentDriver;

    // CPU load, process and thread counts, memory texts and battery activity, with
    // previousCPULoad: the figures that have local fallbacks.
    LocalActivityFields activity;
    QString cpuText = QStringLiteral("-");
    double cpuValue = 0;
    int fan0RPM = 0;
    int fan1RPM = 0;

    int batteryPercent = 0;
    int batteryTarget = 0;
    int batteryDrop = 0;
    QString powerState = QStringLiteral("-");
    bool chargeLimitEnabled = false;
    // The daemon reports that the firmware charges past the limit.
    bool chargeLimitIgnored = false;
    bool chargeProtectorEnabled = false;
    bool safetyDrainEnabled = false;
    bool heatProtectionEnabled = false;
    bool oneTimeFullChargeActive = false;
    bool sleepDisabledByVantrel = false;
    bool fanPolicyEnabled = false;
    QString fanPresetName = QStringLiteral("-");

    QString ssdTempText = QStringLiteral("-");

    QString hardwareModel = QStringLiteral("-");
    QString hardwareMarketingName;
    int fanCount = 0;
    bool hasBattery = false;
    bool supportsFan = false;

    QString lastUpdated = QStringLiteral("-");
    std::optional<QString> actionStatus;
    std::optional<StatusTone> actionTone;
    std::vector<DashboardEvent> events;
    std::optional<QJsonObject> powerReadback;
};

struct DashboardRefreshSeed {
    DashboardRefreshSeed() = default;
    explicit DashboardRefreshSeed(DashboardRefreshResult current, bool appSleep = false,
                                  std::optional<double> localSsd = std::nullopt)
        : values(std::move(current))
        , appSleepPreventionActive(appSleep)
        , localSsdTemperature(localSsd)
    { }

    DashboardRefreshResult values;
    // The application's own sleep prevention is on: names "Sleep Policy" when the daemon
    // reports no policy of its own.
    bool appSleepPreventionActive = false;
    // The hottest SSD reading of the SMC, for when the snapshot names no SSD temperature.
    std::optional<double> localSsdTemperature;
};

} // namespace vantrel
