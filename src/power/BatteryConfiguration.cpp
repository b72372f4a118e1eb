#include "power/BatteryConfiguration.h"

#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "power/NumberText.h"

namespace vantrel {
namespace {

QString targetText(const std::optional<int>& target)
{
    return target ? QString::number(*target) : QStringLiteral("auto");
}

} // namespace

int BatteryConfiguration::normalizedChargeLimit(double percent)
{
    return std::clamp(static_cast<int>(std::round(percent / 10.0)) * 10, 50, 100);
}

QString BatteryConfiguration::signature() const
{
    const double rounded = std::isfinite(maxBatteryTemp) ? std::round(maxBatteryTemp) : 0.0;
    return QStringList{boolText(batteryLimitEnabled),    QString::number(chargeLimit),
                       boolText(chargeProtectorEnabled), QString::number(fixedDropPercent),
                       boolText(heatProtectionEnabled),  QString::number(static_cast<qint64>(rounded)),
                       boolText(safetyDrainEnabled),     targetText(safetyDrainTargetPercent)}
        .join(QLatin1Char('|'));
}

QJsonObject BatteryConfiguration::request() const
{
    QJsonObject r{
        {QStringLiteral("cmd"), QStringLiteral("set_battery_config")},
        {QStringLiteral("enabled"), batteryLimitEnabled},
        {QStringLiteral("limit"), chargeLimit},
        {QStringLiteral("charge_protector"), chargeProtectorEnabled},
        {QStringLiteral("drop"), fixedDropPercent},
        {QStringLiteral("heat_protect"), heatProtectionEnabled},
        {QStringLiteral("max_temp"), maxBatteryTemp},
        {QStringLiteral("safety_drain"), safetyDrainEnabled},
        {QStringLiteral("safety_drain_target_mode"),
         safetyDrainTargetPercent ? QStringLiteral("fixed") : QStringLiteral("charge_limit")},
    };
    if (safetyDrainTargetPercent)
        r.insert(QStringLiteral("safety_drain_target_percent"), *safetyDrainTargetPercent);
    return r;
}

QString BatteryConfiguration::syncLogLine(const QString& reason, bool ok) const
{
    // Concatenated rather than formatted: the reason is free text and may contain '%'.
    return QStringLiteral("Vantrel battery sync (") + reason + QStringLiteral("): enabled=")
        + boolText(batteryLimitEnabled) + QStringLiteral(" limit=") + QString::number(chargeLimit)
        + QStringLiteral(" chargeProtector=") + boolText(chargeProtectorEnabled) + QStringLiteral(" drop=")
        + QString::number(fixedDropPercent) + QStringLiteral(" heat=") + boolText(heatProtectionEnabled)
        + QStringLiteral(" maxTemp=") + shortestDecimal(maxBatteryTemp) + QStringLiteral(" safetyDrain=")
        + boolText(safetyDrainEnabled) + QStringLiteral(" safetyDrainTarget=") + targetText(safetyDrainTargetPercent)
        + QStringLiteral(" ok=") + boolText(ok);
}

} // namespace vantrel
