#pragma once
// The battery policy as one value: what "set_battery_config" carries, its signature for
// the duplicate check, and the line the apply logs.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct BatteryConfiguration {
    // The charge protector's drop is fixed; any other value is replaced by this one.
    static constexpr int fixedDropPercent = 5;

    bool batteryLimitEnabled = true;
    int chargeLimit = 80;
    bool chargeProtectorEnabled = true;
    bool heatProtectionEnabled = true;
    double maxBatteryTemp = 35.0;
    bool safetyDrainEnabled = false;
    std::optional<int> safetyDrainTargetPercent; // none: the drain target follows the charge limit

    // The limit a chosen percent is sent as: the nearest ten, from 50 to 100.
    static int normalizedChargeLimit(double percent);

    // "true|80|true|5|true|35|false|auto": the temperature rounded, the target or "auto".
    QString signature() const;
    // The complete "set_battery_config" request.
    QJsonObject request() const;
    // "Vantrel battery sync (<reason>): enabled=… ok=…"
    QString syncLogLine(const QString& reason, bool ok) const;

    bool operator==(const BatteryConfiguration&) const = default;
};

} // namespace vantrel
