#pragma once
// Reads a daemon heat warning that says the battery is near the heat-protection limit, with
// its figures: the readback's "battery_temperature" and "max_battery_temp" where present,
// else the "…°C" figures of the warning text itself.
#include <optional>

#include <QJsonObject>
#include <QString>

namespace vantrel {

struct HeatWarningFigures {
    std::optional<double> batteryTemperature;
    double limit = 0;

    // Nothing when the warning does not say "near the limit" ("…에 가깝습니다") or no limit is known.
    static std::optional<HeatWarningFigures> read(const QString& warning, const QJsonObject& power,
                                                  std::optional<double> storedLimit);

    // One decimal, without a trailing ".0": 36.5 -> "36.5", 37.0 -> "37".
    static QString figure(double celsius);
};

} // namespace vantrel
