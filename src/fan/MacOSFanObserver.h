#pragma once
// Records how the operating system drives the fans while it is in control, and publishes the
// observed samples with their summary on FanControlState. Main thread only.
#include <functional>

#include <QDateTime>
#include <QString>

#include "fan/FanCurveObserver.h"
#include "sensors/HistoryDataPoint.h"

namespace vantrel {

class FanControlState;
class MacOSFanCurveLog;

struct ReferenceTemperature {
    double temperature = 0;
    QString sensor; // "CPU", "GPU", "Battery" or "Unknown"
};

class MacOSFanObserver final : public FanCurveObserver {
public:
    // The hardware's maximum speed of fan 0 or 1; 0 or less when unknown (the SMC reader's getMaxFanRPM).
    using MaxFanRPMReader = std::function<int(int fanIndex)>;

    MacOSFanObserver(FanControlState& state, MacOSFanCurveLog& log, MaxFanRPMReader maxFanRPM);

    // The hottest of CPU, GPU and battery strictly between 0 and 120 °C (earlier wins a tie), else the CPU value as
    // "Unknown".
    static ReferenceTemperature macOSFanReferenceTemperature(const HistoryDataPoint& readings);

    // Monitoring tick hook, called on the main thread with the history point the tick just appended.
    // Does nothing unless the fan mode is Auto; otherwise logs the sample (the log keeps it only
    // when it adds something) and publishes the last 72 hours with their summary.
    void recordMacOSFanCurveSample(const HistoryDataPoint& readings) override;

    // Re-reads the fan maximum and republishes the logged samples. Called once at start-up after the
    // active curves are restored, and each time the fan screen appears.
    void refreshMacOSFanCurveAnalysis() override;

private:
    int hardwareFanMaxRPM() const;

    FanControlState& state_;
    MacOSFanCurveLog& log_;
    MaxFanRPMReader maxFanRPM_;
};

} // namespace vantrel
