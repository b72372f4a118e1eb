#include "power/BatteryTemperatureSample.h"

namespace vantrel {

std::vector<BatteryTemperatureSample>
BatteryTemperatureSample::displaySamples(const std::vector<BatteryTelemetryRecord>& records, const QDateTime& now)
{
    const QDateTime start = now.addSecs(-3600);
    std::vector<BatteryTemperatureSample> out;
    for (const auto& r : records)
        if (r.temperature && r.timestamp >= start)
            out.push_back({QUuid::createUuid(), *r.temperature, r.timestamp});
    return out;
}

} // namespace vantrel
