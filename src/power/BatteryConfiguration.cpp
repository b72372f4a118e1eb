#include "power/BatteryConfiguration.h"

#include <algorithm>
#include <cmath>

#include "power/NumberText.h"

namespace vantrel {
namespace {

QString flag(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }

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
    return QStringList{flag(batteryLimitEnabled),    QString::number(chargeLimit),
                       flag(chargeProtectorEnabled), QString::number(fixedDropPercent),
                       flag(heatProtectionEnabled),  QString::number(static_cast<qint64>(rounded)),
                       flag(safetyDrainEnabled),     targetText(safetyDrainTargetPercent)}
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
    return QStringLiteral("Vantrel battery sync (") + reason + QStringLiteral("): enabled=") + flag(batteryLimitEnabled)
        + QStringLiteral(" limit=") + QString::number(chargeLimit) + QStringLiteral(" chargeProtector=")
        + flag(chargeProtectorEnabled) + QStringLiteral(" drop=") + QString::number(fixedDropPercent)
        + QStringLiteral(" heat=") + flag(heatProtectionEnabled) + QStringLiteral(" maxTemp=")
        + shortestDecimal(maxBatteryTemp) + QStringLiteral(" safetyDrain=") + flag(safetyDrainEnabled)
        + QStringLiteral(" safetyDrainTarget=") + targetText(safetyDrainTargetPercent) + QStringLiteral(" ok=")
        + flag(ok);
}

} // namespace vantrel
