#include "ui/power/OnlyPowerEnergyFigures.h"

#include <algorithm>
#include <cmath>

#include "l10n/L10n.h"

namespace vantrel {

namespace {

QString number(double value, int decimals, const char* unit)
{
    if (!std::isfinite(value))
        return QStringLiteral("-");
    return QString::number(value, 'f', decimals) + QLatin1String(unit);
}

QString optionalNumber(const std::optional<double>& value, int decimals, const char* unit)
{
    return value ? number(*value, decimals, unit) : QStringLiteral("-");
}

// Hours with the share of the day they cover.
QString hoursOfDay(double hours, double elapsedHours)
{
    QString text = number(hours, 1, " h");
    if (elapsedHours > 0 && std::isfinite(hours))
        text += QStringLiteral(" (%1%)").arg(std::round(std::clamp(hours / elapsedHours, 0.0, 1.0) * 100.0));
    return text;
}

} // namespace

std::vector<OnlyPowerEnergyFigure> onlyPowerEnergyFigures(const OnlyPowerEnergySnapshot& s)
{
    return {
        {L10n::key("power.energy.today"), number(s.systemEnergyWh, 1, " Wh")},
        {L10n::key("power.energy.adapter_time"), number(s.adapterOnlyHours, 1, " h")},
        {L10n::key("power.energy.battery_time"), number(s.batteryUseHours, 1, " h")},
        {L10n::key("power.energy.battery_energy"), number(s.batteryDischargeWh, 1, " Wh")},
        {L10n::key("power.energy.efc"), number(s.observedEFC, 3, " EFC")},
        {L10n::key("power.energy.cycle"), s.cycleCount ? QString::number(*s.cycleCount) : QStringLiteral("-")},
        {L10n::key("power.energy.battery_efficiency"), optionalNumber(s.batteryMaximumCapacityPercent, 0, "%")},
        {L10n::key("power.energy.coverage"), hoursOfDay(s.coveredHours, s.elapsedHours)},
        {L10n::key("power.energy.policy_coverage"), hoursOfDay(s.policyVerifiedHours, s.elapsedHours)},
        {L10n::key("power.energy.current"), optionalNumber(s.currentPowerWatts, 1, " W")},
        {L10n::key("power.energy.average"), optionalNumber(s.averagePowerWatts, 1, " W")},
        {L10n::key("power.energy.peak"), optionalNumber(s.peakPowerWatts, 1, " W")},
    };
}

} // namespace vantrel
