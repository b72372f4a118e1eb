#include "fan/MacOSFanObserver.h"

#include <algorithm>

#include "fan/FanControlState.h"
#include "fan/MacOSFanCurveLog.h"

namespace vantrel {

MacOSFanObserver::MacOSFanObserver(FanControlState& state, MacOSFanCurveLog& log, MaxFanRPMReader maxFanRPM)
    : state_(state)
    , log_(log)
    , maxFanRPM_(std::move(maxFanRPM))
{ }

ReferenceTemperature MacOSFanObserver::macOSFanReferenceTemperature(const HistoryDataPoint& readings)
{
    const ReferenceTemperature candidates[] = {{readings.cpuTemp, QStringLiteral("CPU")},
                                               {readings.gpuTemp, QStringLiteral("GPU")},
                                               {readings.batteryTemp, QStringLiteral("Battery")}};
    const ReferenceTemperature* best = nullptr;
    for (const auto& c : candidates) {
        if (!(c.temperature > 0 && c.temperature < 120))
            continue;
        if (!best || c.temperature > best->temperature)
            best = &c;
    }
    if (best)
        return *best;
    return {readings.cpuTemp, QStringLiteral("Unknown")};
}

int MacOSFanObserver::hardwareFanMaxRPM() const
{
    const int reported = maxFanRPM_ ? std::max(maxFanRPM_(0), maxFanRPM_(1)) : 0;
    return reported > 0 ? reported : FanControlState::defaultFanMaxRPM;
}

void MacOSFanObserver::recordMacOSFanCurveSample(const HistoryDataPoint& readings)
{
    if (state_.fanMode() != FanMode::Auto)
        return;
    const int rpm = std::max(readings.fan0Rpm, readings.fan1Rpm);
    const ReferenceTemperature reference = macOSFanReferenceTemperature(readings);
    if (rpm < 1 || !(reference.temperature > 0))
        return;
    if (state_.detectedFanMaxRPM() < 1 || state_.detectedFanMaxRPM() == FanControlState::defaultFanMaxRPM)
        state_.setDetectedFanMaxRPM(hardwareFanMaxRPM());

    const int fanMax = state_.detectedFanMaxRPM();
    ObservedMacOSFanPoint sample;
    sample.timestamp = readings.timestamp;
    sample.temperature = std::min(reference.temperature, 100.0);
    sample.fanPercent = std::clamp(static_cast<double>(rpm) / std::max(fanMax, 1) * 100.0, 0.0, 100.0);
    sample.rpm = rpm;
    sample.fanMaxRPM = fanMax < 1 ? 1 : fanMax;
    sample.dominantSensor = reference.sensor;
    state_.setMacOSFanCurveAnalysis(log_.appendAndLoadRecent(sample));
}

void MacOSFanObserver::refreshMacOSFanCurveAnalysis()
{
    state_.setDetectedFanMaxRPM(hardwareFanMaxRPM());
    state_.setMacOSFanCurveAnalysis(log_.loadRecent(MacOSFanCurveLog::retentionHours));
}

} // namespace vantrel
