#include "sim/model/SleepControl.h"

namespace vantrel::sim {

void SleepControl::request(bool enabled, std::optional<int> cutoffPercent, const Inputs& in,
                           std::vector<PolicyEvent>& events)
{
    requested_ = enabled;
    if (cutoffPercent)
        cutoff_ = *cutoffPercent;
    evaluate(in, events, QStringLiteral("request"));
}

void SleepControl::step(const Inputs& in, std::vector<PolicyEvent>& events)
{
    evaluate(in, events, in.adapterConnected ? QStringLiteral("adapter_connected") : QStringLiteral("battery_level"));
}

void SleepControl::resetToVanilla(std::vector<PolicyEvent>& events)
{
    requested_ = false;
    lowBatteryVanilla_ = false;
    evaluate(Inputs{}, events, QStringLiteral("reset_to_vanilla"));
}

void SleepControl::evaluate(const Inputs& in, std::vector<PolicyEvent>& events, const QString& trigger)
{
    if (!in.hasBattery || in.adapterConnected)
        lowBatteryVanilla_ = false;
    else if (in.percent < cutoff_)
        lowBatteryVanilla_ = true;
    else if (in.percent > cutoff_ + 1)
        lowBatteryVanilla_ = false;

    const bool now = effective();
    if (now != lastEffective_)
        events.push_back(
            {QStringLiteral("sleep.system_sleep"),
             now ? QStringLiteral("sleep_disabled") : QStringLiteral("sleep_restored"),
             now ? QStringLiteral("System sleep held off")
                 : (lowBatteryVanilla_
                        ? QStringLiteral("Battery below the %1% cut-off: system sleep back to the macOS default")
                              .arg(cutoff_)
                        : QStringLiteral("System sleep back to the macOS default")),
             lowBatteryVanilla_ ? QStringLiteral("low_battery_cutoff") : trigger,
             now ? QStringLiteral("disabled") : QStringLiteral("vanilla")});
    lastEffective_ = now;
}

} // namespace vantrel::sim
