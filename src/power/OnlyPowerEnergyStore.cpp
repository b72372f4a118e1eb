#include "power/OnlyPowerEnergyStore.h"

#include <algorithm>
#include <cmath>

#include "base/Paths.h"
#include "power/StudyLogReader.h"

namespace vantrel {
namespace {

constexpr double maxPairSeconds = 300.0;
constexpr double currentPowerMaxAgeSeconds = 180.0;
// Currents within ±50 mA are the noise of an idle battery; −51 mA and below is a discharge.
constexpr qint64 idleCurrentLimitMA = 50;
constexpr qint64 dischargeThresholdMA = -51;
// A day and a half of one sample a second (a day can be 25 hours long).
constexpr double maxReservedSamples = 129600.0;

template <class T> std::optional<T> firstOf(const std::optional<T>& a, const std::optional<T>& b) { return a ? a : b; }

} // namespace

OnlyPowerEnergyStore::OnlyPowerEnergyStore(const Paths& paths,
                                           std::function<std::optional<double>()> batteryMaximumCapacityPercent,
                                           QTimeZone zone)
    : logURL_(paths.appSupportFile(QStringLiteral("only-power-cycle-study/samples.jsonl")))
    , batteryMaximumCapacityPercent_(std::move(batteryMaximumCapacityPercent))
    , zone_(std::move(zone))
{ }

OnlyPowerEnergySnapshot OnlyPowerEnergyStore::load(const QDateTime& now) const
{
    const double end = static_cast<double>(now.toMSecsSinceEpoch()) / 1000.0;
    const double dayStart
        = static_cast<double>(now.toTimeZone(zone_).date().startOfDay(zone_).toMSecsSinceEpoch()) / 1000.0;
    std::vector<OnlyPowerEnergySample> samples;
    // Room for one sample a second, the study logger's usual pace: a day of samples is then
    // written once instead of being moved through every doubling of the vector.
    samples.reserve(static_cast<size_t>(std::clamp(end - dayStart + 1.0, 0.0, maxReservedSamples)));
    StudyLogReader::forEachLineFrom(
        logURL_, 0,
        [&](std::string_view line) {
        auto sample = OnlyPowerEnergySample::fromLine(line);
        if (sample && sample->epochSeconds >= dayStart && sample->epochSeconds <= end)
            samples.push_back(std::move(*sample));
        },
        dayStart, end);
    const auto byTime = [](const auto& a, const auto& b) { return a.epochSeconds < b.epochSeconds; };
    // The log is written in time order; sorting (with its buffer of half a day) is for logs that are not.
    if (!std::is_sorted(samples.begin(), samples.end(), byTime))
        std::stable_sort(samples.begin(), samples.end(), byTime);
    return integrate(std::move(samples), dayStart, end);
}

OnlyPowerEnergySnapshot OnlyPowerEnergyStore::integrate(std::vector<OnlyPowerEnergySample> samples,
                                                        double observationStart, double observationEnd) const
{
    OnlyPowerEnergySnapshot s;
    if (!samples.empty()) {
        const auto& last = samples.back();
        if (observationEnd - last.epochSeconds <= currentPowerMaxAgeSeconds)
            s.currentPowerWatts = last.systemPowerWatts;
    }
    for (auto it = samples.rbegin(); it != samples.rend(); ++it) {
        if (it->cycleCount) {
            s.cycleCount = it->cycleCount;
            break;
        }
    }

    const QString onlyPower = QStringLiteral("only_power");
    double powerDataHours = 0;
    double dischargedMAh = 0;
    double capacitySum = 0; // mAh × seconds
    double capacitySeconds = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        const auto& prev = samples[i - 1];
        const auto& cur = samples[i];
        const double dt = cur.epochSeconds - prev.epochSeconds;
        if (!(dt > 0 && dt <= maxPairSeconds))
            continue;
        const double h = dt / 3600.0;
        if (prev.phase == onlyPower && cur.phase == onlyPower && prev.policyVerified == true
            && cur.policyVerified == true)
            s.policyVerifiedHours += h;
        if (auto power = firstOf(prev.systemPowerWatts, cur.systemPowerWatts); power && *power >= 0) {
            s.systemEnergyWh += h * *power;
            powerDataHours += h;
        }
        s.coveredHours += h;

        const auto amperage = firstOf(prev.instantAmperageMA, cur.instantAmperageMA);
        if (!amperage)
            continue;
        const qint64 a = *amperage;
        bool discharge = false;
        if (!prev.isCharging) {
            discharge = a <= dischargeThresholdMA;
        } else if (!*prev.isCharging) {
            if (a <= dischargeThresholdMA)
                discharge = true;
            else if (prev.externalConnected == true && a >= -idleCurrentLimitMA && a <= idleCurrentLimitMA)
                s.adapterOnlyHours += h;
        }
        if (discharge) {
            s.batteryUseHours += h;
            const auto watts = firstOf(prev.batteryPowerWatts, cur.batteryPowerWatts);
            const double dischargePower = watts && *watts < 0 ? -*watts : 0.0;
            s.batteryDischargeWh += h * dischargePower;
            // Negated as a double: the log may hold any integer, the lowest one included.
            dischargedMAh += h * -static_cast<double>(a);
        }
        if (auto capacity = firstOf(prev.rawMaxCapacityMAh, cur.rawMaxCapacityMAh); capacity && *capacity > 0) {
            capacitySum += dt * static_cast<double>(*capacity);
            capacitySeconds += dt;
        }
    }

    if (capacitySeconds > 0) {
        const double meanCapacity = capacitySum / capacitySeconds;
        if (meanCapacity > 0)
            s.observedEFC = dischargedMAh / meanCapacity;
    }
    if (powerDataHours > 0)
        s.averagePowerWatts = s.systemEnergyWh / powerDataHours;
    for (const auto& sample : samples)
        if (sample.systemPowerWatts && *sample.systemPowerWatts >= 0
            && (!s.peakPowerWatts || *sample.systemPowerWatts > *s.peakPowerWatts))
            s.peakPowerWatts = sample.systemPowerWatts;
    if (batteryMaximumCapacityPercent_)
        s.batteryMaximumCapacityPercent = batteryMaximumCapacityPercent_();
    s.elapsedHours = std::max(0.0, observationEnd - observationStart) / 3600.0;
    s.samples = std::move(samples);
    return s;
}

} // namespace vantrel
